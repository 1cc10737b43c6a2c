#pragma once

#include <gtkmm.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "panel/controls.h"
#include "panel/panel_events.h"
#include "panel/panel_model.h"
#include "platform/panel_window.h"

namespace blindfold::gtk {

// The design's twips as pixels: the design was drawn for a smaller font than a
// GTK desktop's, so a pixel counts fewer twips than the 15 of 96 dpi.
inline constexpr int kTwipsPerPixel = 12;
constexpr int Px(int twips) { return twips / kTwipsPerPixel; }

// The control panel as a GTK window: built from the control table, rendered
// from the panel model, and reporting the user's input only as PanelEvents.
class GtkPanel final : public PanelWindow {
 public:
  GtkPanel(int widthTwips, int heightTwips);
  GtkPanel(const GtkPanel&) = delete;
  GtkPanel& operator=(const GtkPanel&) = delete;
  // The pages leave the notebook as it goes, after the model has gone.
  ~GtkPanel() override { pageSwitched_.disconnect(); }

  void Attach(PanelModel& panel, PanelEvents& events);
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
  void PlaceControl(const ControlPlacement& placement) override;
  void Unload() override;

 private:
  struct Shown {
    Gtk::Widget* widget = nullptr;  // owned by its container
    Gtk::Fixed* container = nullptr;
    DesignRect place;               // in its container, in twips
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
    std::vector<ListRow> shown;  // the rows as last rendered, with their marks
  };

  void Build();
  // Makes the controls of `page` (or of every page, kEveryPage) once.
  void BuildPage(int page);
  Gtk::Widget* Create(const ControlInfo& info);
  Gtk::Widget* CreateList(const ControlInfo& info);
  void Connect(const ControlInfo& info, Gtk::Widget& widget);
  void RenderField(const ControlInfo& info, Gtk::Widget& widget);
  void RenderList(ListView& list, const ListBox& model, bool marked);
  void ReportSelection(Control control);
  bool OnKey(GdkEventKey* event);
  bool OnDelete(GdkEventAny* event);

  template <class Event>
  void Report(Event event) {
    if (!events_ || rendering_) return;
    event(*events_);
    Render();
  }

  Gtk::Window window_;
  Gtk::Fixed client_;
  Gtk::Notebook notebook_;
  std::array<Gtk::Fixed, 5> pages_;
  std::array<bool, 5> pageBuilt_{};
  std::array<Shown, kControlCount> controls_;
  std::array<ListView, 2> lists_;  // List1, List2
  ListColumns columns_;
  Gtk::RadioButton::Group menuGroup_;
  Gtk::RadioButton::Group hideGroup_;
  Glib::RefPtr<Gdk::Pixbuf> icon_;
  std::int32_t iconSerial_ = 1;
  PanelModel* panel_ = nullptr;
  PanelEvents* events_ = nullptr;
  bool rendering_ = false;
  bool unloaded_ = false;
  std::function<void()> onUnloaded_;
  sigc::connection pageSwitched_;
};

// The caption with its Windows access key ("&Next") as a GTK mnemonic ("_Next").
Glib::ustring Mnemonic(std::string_view caption);

}  // namespace blindfold::gtk
