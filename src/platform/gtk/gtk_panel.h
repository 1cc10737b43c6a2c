#pragma once

#include <gtkmm.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/texts.h"
#include "panel/controls.h"
#include "panel/panel_events.h"
#include "panel/panel_model.h"
#include "panel/panel_view.h"
#include "platform/panel_window.h"

namespace blindfold::gtk {

// The design's twips as pixels, for the least size the panel first takes: the design
// was drawn for a smaller font than a GTK desktop's, so a pixel counts fewer
// twips than the 15 of 96 dpi.
inline constexpr int kTwipsPerPixel = 12;
constexpr int Px(int twips) { return twips / kTwipsPerPixel; }
// The room around and between the controls, in pixels, as GNOME's layout
// guidelines space them.
inline constexpr int kBorder = 12;
inline constexpr int kSpacing = 6;

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
  // The program's own icon, which the stored default icon file stands for:
  // `defaultIconFile` is that file, `fallback` the picture drawn where the
  // icon theme has no icon of the program's.
  void SetProgramIcon(const std::string& defaultIconFile, const std::string& fallback);
  // The picture the window and the tray icon show, at `size` pixels.
  Glib::RefPtr<Gdk::Pixbuf> Icon(int size = kWindowIconSize) const;
  // Called once the window has gone.
  void SetOnUnloaded(std::function<void()> onUnloaded) { onUnloaded_ = std::move(onUnloaded); }
  // The end of the session: the logic decides whether the window goes.
  void SessionEnding();

  WindowHandle Handle() override;
  // Where GDK cannot name the window to other programs (on Wayland), the
  // desktop's door finds it instead.
  void SetHandleFinder(std::function<WindowHandle()> find) { findHandle_ = std::move(find); }
  std::int32_t IconHandle() override { return iconSerial_; }
  bool LoadIconFile(const std::string& path) override;
  // PNG and SVG as well as Windows icon files.
  const IconFileKinds& IconFiles() override { return kPictureIconFiles; }
  bool IsVisible() override { return window_.get_visible(); }
  void SetVisible(bool visible) override;
  void SetBorderStyle(BorderStyle style) override;
  void SetSizeTwips(int width, int height) override;
  // The controls sit in boxes: the design's places stay the view's.
  void PlaceControl(const ControlPlacement& placement) override { view_.Place(placement); }
  void Unload() override;

 private:
  static constexpr int kWindowIconSize = 64;

  struct ListColumns : Gtk::TreeModel::ColumnRecord {
    ListColumns() {
      add(marked);
      for (auto& column : text) add(column);
    }
    Gtk::TreeModelColumn<bool> marked;
    std::array<Gtk::TreeModelColumn<Glib::ustring>, texts::kListColumnCaptions.size()> text;
  };
  struct ListView {
    Gtk::TreeView* view = nullptr;
    Glib::RefPtr<Gtk::ListStore> store;
  };

  // Making the controls (gtk_widgets.cpp), and putting each page together in
  // boxes once all its controls are made, as gtk_layout reads the design.
  void Create(const ControlSpec& spec) override;
  Gtk::Widget* Make(const ControlSpec& spec);
  Gtk::Widget* MakeList(const ControlInfo& info);
  void Connect(const ControlSpec& spec, Gtk::Widget& widget);
  void Assemble(int page);
  Gtk::Box& RowBox(const std::vector<Control>& row, const DesignRect& holder);
  // Fields without a label of their own are named after their frame.
  void NameAfterFrame(Control frame);
  void Move(Control, const DesignRect&) override {}

  // Showing what the view computed.
  void SelectPage(PanelPage page) override;
  void Apply(Control control, const ControlState& state) override;
  void ApplyOption(Gtk::RadioButton& option, Control control, const ControlState& state);
  void Show(Control control, bool visible) override;
  // The panel stays open to input while a slow job runs: the logic turns away
  // what it cannot take meanwhile.
  void SetBusy(bool) override {}

  // The lists, both ways (gtk_lists.cpp).
  ListView* ListOf(Control control);
  void FillList(Control list, const ListBox& rows) override;
  void MarkRow(Control list, std::size_t row, bool marked) override;
  void SetCurrentRow(Control list, std::optional<std::size_t> row) override;
  void ToggleMark(Control list, const Gtk::TreePath& path);
  void ReportSelection(Control control);

  bool OnKey(GdkEventKey* event);
  bool OnDelete(GdkEventAny* event);
  // The size the panel first takes: what its pages ask for, within the screen's
  // work area.
  void FitToWorkArea();

  // Where and how large the user left the window, to show it there again.
  struct Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
  };

  Gtk::Window window_;
  Gtk::Box client_{Gtk::ORIENTATION_VERTICAL, 6};
  Gtk::Notebook notebook_;
  // Each page scrolls where the screen is too small for it.
  std::array<Gtk::ScrolledWindow, kPanelPageCount> pageScrolls_;
  Gtk::Box footer_{Gtk::ORIENTATION_HORIZONTAL, 12};
  // What is made but never shown: the controls kept only for what they do,
  // and each option row's choice of none.
  Gtk::Box unseen_;
  std::array<Gtk::Box, kPanelPageCount> pages_;
  std::array<Gtk::Widget*, kControlCount> controls_{};  // owned by their boxes
  std::array<Gtk::Box*, kControlCount> frameBodies_{};
  std::array<int, kPanelPageCount + 1> madeOnPage_{};
  std::array<ListView, 2> lists_;  // openWindows, alwaysHide
  ListColumns columns_;
  std::vector<Gtk::RadioButton::Group> optionGroups_;
  // Chosen while the model chooses none of its row: a group of radio buttons
  // always has one chosen.
  std::vector<Gtk::RadioButton*> noneChosen_;
  std::string programIconFile_;
  std::string programIconFallback_;
  std::string iconFile_;  // empty: the program's own icon
  Glib::RefPtr<Gdk::Pixbuf> icon_;
  std::int32_t iconSerial_ = 1;
  PanelView view_{{.pagesHoldTheirControls = true, .startsAtLogIn = true}};
  bool unloaded_ = false;
  int designWidth_ = 0;
  int designHeight_ = 0;
  std::optional<Place> place_;
  // The blink before the desktop hides: a borderless speck that is no place
  // of the user's.
  bool blinking_ = false;
  // The logic is having the window shown: the point BLINDFOLD_TEST_THROW's
  // "show" throws at, in the middle of the render.
  bool showingWindow_ = false;
  std::function<void()> onUnloaded_;
  sigc::connection pageShowing_;
  sigc::connection pageSwitched_;
  std::function<WindowHandle()> findHandle_;
};

// The caption with its Windows access key ("&Next") as a GTK mnemonic ("_Next").
Glib::ustring Mnemonic(std::string_view caption);

}  // namespace blindfold::gtk
