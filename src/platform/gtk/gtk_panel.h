#pragma once

#include <gtkmm.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "panel/controls.h"
#include "panel/panel_events.h"
#include "panel/panel_model.h"
#include "panel/panel_view.h"
#include "platform/panel_window.h"

namespace blindfold::gtk {

// The design's twips as pixels: the design was drawn for a smaller font than a
// GTK desktop's, so a pixel counts fewer twips than the 15 of 96 dpi.
inline constexpr int kTwipsPerPixel = 12;
constexpr int Px(int twips) { return twips / kTwipsPerPixel; }

// The control panel as a GTK window: the panel view's widgets, made from the
// control table, and the user's input handed to the view.
class GtkPanel final : public PanelWindow, private PanelWidgets {
 public:
  GtkPanel(int widthTwips, int heightTwips);
  GtkPanel(const GtkPanel&) = delete;
  GtkPanel& operator=(const GtkPanel&) = delete;
  // The pages leave the notebook as it goes, after the view has gone.
  ~GtkPanel() override {
    pageShowing_.disconnect();
    pageSwitched_.disconnect();
  }

  void Attach(PanelModel& panel, PanelEvents& events) { view_.Attach(panel, events); }
  // Brings every control in line with the model.
  void Render();

  Gtk::Window& Window() { return window_; }
  // The picture the window and the tray icon show.
  Glib::RefPtr<Gdk::Pixbuf> Icon() const { return icon_; }
  // Called once the window has gone.
  void SetOnUnloaded(std::function<void()> onUnloaded) { onUnloaded_ = std::move(onUnloaded); }
  // The end of the session: the logic decides whether the window goes.
  void SessionEnding();

  WindowHandle Handle() override;
  std::int32_t IconHandle() override { return iconSerial_; }
  bool LoadIconFile(const std::string& path) override;
  // GdkPixbuf reads PNG and SVG as well as Windows icon files.
  const IconFileKinds& IconFiles() override { return kPictureIconFiles; }
  bool IsVisible() override { return window_.get_visible(); }
  void SetVisible(bool visible) override;
  void SetBorderStyle(BorderStyle style) override { window_.set_decorated(style != BorderStyle::None); }
  void SetSizeTwips(int width, int height) override;
  void PlaceControl(const ControlPlacement& placement) override { view_.Place(placement); }
  void Unload() override;

 private:
  struct Made {
    Gtk::Widget* widget = nullptr;  // owned by its container
    Gtk::Fixed* container = nullptr;
  };
  struct ListColumns : Gtk::TreeModel::ColumnRecord {
    ListColumns() {
      for (auto& column : text) add(column);
    }
    std::array<Gtk::TreeModelColumn<Glib::ustring>, 3> text;
  };
  struct ListView {
    Gtk::TreeView* view = nullptr;
    Glib::RefPtr<Gtk::ListStore> store;
  };

  // Making and placing the controls.
  void Create(const ControlSpec& spec) override;
  Gtk::Widget* Make(const ControlSpec& spec);
  Gtk::Widget* MakeList(const ControlInfo& info);
  void Connect(const ControlSpec& spec, Gtk::Widget& widget);
  void Move(Control control, const DesignRect& place) override;
  // A place of the design within the widget's own container.
  static DesignRect InContainer(Control control, DesignRect place);

  // Showing what the view computed.
  void SelectPage(PanelPage page) override;
  void Apply(Control control, const ControlState& state) override;
  void Show(Control control, bool visible) override;
  // The panel stays open to input while a slow job runs: the logic turns away
  // what it cannot take meanwhile.
  void SetBusy(bool) override {}

  // The lists, both ways.
  ListView* ListOf(Control control);
  void FillList(Control list, const ListBox& rows) override;
  void MarkRow(Control list, std::size_t row, bool marked) override;
  void SetCurrentRow(Control list, std::optional<std::size_t> row) override;
  void ReportSelection(Control control);

  bool OnKey(GdkEventKey* event);
  bool OnDelete(GdkEventAny* event);

  Gtk::Window window_;
  Gtk::Fixed client_;
  Gtk::Notebook notebook_;
  std::array<Gtk::Fixed, kPanelPageCount> pages_;
  std::array<Made, kControlCount> controls_;
  std::array<ListView, 2> lists_;  // List1, List2
  ListColumns columns_;
  std::vector<Gtk::RadioButton::Group> optionGroups_;
  Glib::RefPtr<Gdk::Pixbuf> icon_;
  std::int32_t iconSerial_ = 1;
  PanelView view_{{.pagesHoldTheirControls = true, .startsAtLogIn = true}};
  bool unloaded_ = false;
  std::function<void()> onUnloaded_;
  sigc::connection pageShowing_;
  sigc::connection pageSwitched_;
};

// The caption with its Windows access key ("&Next") as a GTK mnemonic ("_Next").
Glib::ustring Mnemonic(std::string_view caption);

}  // namespace blindfold::gtk
