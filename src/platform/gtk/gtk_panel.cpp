#include "platform/gtk/gtk_panel.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <utility>

#include "core/scope_guard.h"
#include "core/texts.h"
#include "platform/gtk/callback_edge.h"
#include "platform/gtk/gtk_accessibility.h"
#include "platform/gtk/gtk_icon.h"
#include "platform/gtk/gtk_layout.h"

namespace blindfold::gtk {
namespace {

// What the window manager's frame takes round a window, allowed for when the
// panel is fitted to the work area before it has a frame to measure.
constexpr int kFrameAllowanceWidth = 8;
constexpr int kFrameAllowanceHeight = 40;

}  // namespace

GtkPanel::GtkPanel(int widthTwips, int heightTwips)
    : optionGroups_(OptionGroups().size()),
      noneChosen_(OptionGroups().size()),
      designWidth_(Px(widthTwips)),
      designHeight_(Px(heightTwips)) {
  window_.set_title(std::string(texts::kProgramName));
  client_.set_border_width(kBorder);
  client_.pack_start(notebook_, true, true);
  client_.pack_start(footer_, false, false);
  window_.add(client_);
  client_.show();
  footer_.show();
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    pages_[i].set_orientation(Gtk::ORIENTATION_VERTICAL);
    pages_[i].set_spacing(kSpacing);
    pages_[i].set_border_width(kBorder);
    Gtk::ScrolledWindow& scroll = pageScrolls_[i];
    scroll.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    scroll.set_shadow_type(Gtk::SHADOW_NONE);
    // The window's natural size is still the page's, where the screen has it.
    scroll.set_propagate_natural_width(true);
    scroll.set_propagate_natural_height(true);
    scroll.add(pages_[i]);
    if (auto* viewport = dynamic_cast<Gtk::Viewport*>(scroll.get_child())) viewport->set_shadow_type(Gtk::SHADOW_NONE);
    notebook_.append_page(scroll, Mnemonic(PanelView::PageCaption(static_cast<PanelPage>(i))), true);
    pages_[i].show();
    scroll.show_all();
  }
  notebook_.show();
  for (std::size_t i = 0; i < noneChosen_.size(); ++i) {
    noneChosen_[i] = Gtk::make_managed<Gtk::RadioButton>(optionGroups_[i]);
    unseen_.add(*noneChosen_[i]);
  }
  // A page is made when first shown (switch-page comes before GTK shows it).
  // A tab clicked is the user's choice of page, as Ctrl+Tab is; unreported,
  // the next render would take the panel back to the page the logic knows.
  // After GTK's own handler, so that the notebook already shows the new page.
  pageShowing_ = notebook_.signal_switch_page().connect([this](Gtk::Widget*, guint page) {
    AtTheEdge("a page shown", [&] { view_.PageShowing(static_cast<PanelPage>(page)); });
  });
  pageSwitched_ = notebook_.signal_switch_page().connect(
      [this](Gtk::Widget*, guint page) {
        AtTheEdge("a page chosen", [&] { view_.PageSelected(static_cast<PanelPage>(page)); });
      },
      true);
  view_.AttachWidgets(*this);
  window_.signal_key_press_event().connect(
      [this](GdkEventKey* event) { return AtTheEdge("a key in the panel", true, [&] { return OnKey(event); }); },
      false);
  // The window stays unless the logic said it may go.
  window_.signal_delete_event().connect(
      [this](GdkEventAny* event) { return AtTheEdge("the close box", true, [&] { return OnDelete(event); }); });
  // The window's X id is its handle: the logic needs it before it is shown.
  gtk_widget_realize(GTK_WIDGET(window_.gobj()));
}

void GtkPanel::Create(const ControlSpec& spec) {
  const ControlInfo& info = *spec.info;
  Gtk::Widget* widget = info.kind == ControlKind::Tabs ? &notebook_ : Make(spec);
  controls_[IndexOf(info.control)] = widget;
  if (info.kind != ControlKind::Tabs) {
    Connect(spec, *widget);
    if (!info.neverShown) widget->show();
  }
  // The page goes together once its last control is made.
  const int page = info.page;
  const auto onPage = static_cast<int>(
      std::count_if(Controls().begin(), Controls().end(), [page](const ControlInfo& each) { return each.page == page; }));
  if (++madeOnPage_[static_cast<std::size_t>(page + 1)] == onPage) Assemble(page);
}

// A page's controls in boxes, as gtk_layout reads them from the design.
void GtkPanel::Assemble(int page) {
  if (page == kEveryPage) {
    for (const auto& row : FooterRows()) footer_.pack_start(RowBox(row, InfoOf(Control::Pages).design), true, true);
    return;
  }
  Gtk::Box& box = pages_[static_cast<std::size_t>(page)];
  const PageLayout layout = LayOutPage(page);
  for (const Control control : layout.unseen) unseen_.add(*controls_[IndexOf(control)]);
  const DesignRect& pageRect = InfoOf(Control::Pages).design;
  for (const PageLayout::Block& block : layout.blocks) {
    if (!block.frame) {
      box.pack_start(RowBox(block.rows.front(), pageRect), false, false);
      continue;
    }
    const Control frame = *block.frame;
    Gtk::Box& body = *frameBodies_[IndexOf(frame)];
    for (const auto& row : block.rows) {
      const bool list = HoldsList(row);
      body.pack_start(RowBox(row, InfoOf(frame).design), list, list);
    }
    NameAfterFrame(frame);
    Gtk::Widget& framed = *controls_[IndexOf(frame)];
    framed.set_vexpand(block.expands);
    box.pack_start(framed, block.expands, block.expands);
  }
  // A label's access key takes the focus to its field, and the label names
  // the field.
  for (const auto& [labelControl, fieldControl] : layout.labelledFields) {
    auto* label = dynamic_cast<Gtk::Label*>(controls_[IndexOf(labelControl)]);
    Gtk::Widget* field = controls_[IndexOf(fieldControl)];
    if (!label || !field) continue;
    if (auto* scrolled = dynamic_cast<Gtk::ScrolledWindow*>(field)) field = scrolled->get_child();
    label->set_mnemonic_widget(*field);
    // GTK relates the two for a screen reader, but leaves the field unnamed.
    NameForReaders(*field, label->get_text());
  }
}

// One row in a box of its own, as gtk_layout lays it out.
Gtk::Box& GtkPanel::RowBox(const std::vector<Control>& row, const DesignRect& holder) {
  auto* box = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, kBorder);
  const RowLayout layout = LayOutRow(row, holder);
  box->set_homogeneous(layout.equalColumns);
  std::vector<Gtk::Widget*> atEnd;
  for (const RowLayout::Place& place : layout.places) {
    Gtk::Widget& widget = *controls_[IndexOf(place.control)];
    if (place.atEnd) {
      atEnd.push_back(&widget);
    } else {
      box->pack_start(widget, place.stretches, place.stretches);
    }
  }
  for (auto it = atEnd.rbegin(); it != atEnd.rend(); ++it) box->pack_end(**it, false, false);
  box->show();
  return *box;
}

void GtkPanel::Render() {
  if (!unloaded_) view_.Render();
}

// Esc is the close box; Ctrl+Tab and Ctrl+Shift+Tab go round the pages as
// Ctrl+PgDn and Ctrl+PgUp do in every GTK notebook.
bool GtkPanel::OnKey(GdkEventKey* event) {
  if (event->keyval == GDK_KEY_Escape) {
    OnDelete(nullptr);
    return true;
  }
  const bool control = (event->state & GDK_CONTROL_MASK) != 0;
  if (!control || (event->keyval != GDK_KEY_Tab && event->keyval != GDK_KEY_ISO_Left_Tab)) return false;
  view_.CyclePage((event->state & GDK_SHIFT_MASK) || event->keyval == GDK_KEY_ISO_Left_Tab ? -1 : 1);
  return true;
}

bool GtkPanel::OnDelete(GdkEventAny*) {
  if (view_.CloseRequested(CloseReason::ControlMenu)) Unload();
  return true;
}

void GtkPanel::SessionEnding() {
  if (view_.CloseRequested(CloseReason::WindowsEnding)) Unload();
}

WindowHandle GtkPanel::Handle() {
  auto gdkWindow = window_.get_window();
  if (!gdkWindow || unloaded_) return WindowHandle();
  if (!GDK_IS_X11_WINDOW(gdkWindow->gobj())) return findHandle_ ? findHandle_() : WindowHandle();
  return WindowHandle(static_cast<std::int32_t>(gdk_x11_window_get_xid(gdkWindow->gobj())));
}

void GtkPanel::SetProgramIcon(const std::string& defaultIconFile, const std::string& fallback) {
  programIconFile_ = defaultIconFile;
  programIconFallback_ = fallback;
  LoadIconFile(defaultIconFile);
}

Glib::RefPtr<Gdk::Pixbuf> GtkPanel::Icon(int size) const {
  if (size == kWindowIconSize || !icon_) return icon_;
  auto picture = iconFile_.empty() ? ProgramIcon(programIconFallback_, size) : LoadIconPicture(iconFile_, size);
  return picture ? picture : icon_;
}

// The stored default icon file stands for the program's own icon, which on
// Linux is the icon theme's.
bool GtkPanel::LoadIconFile(const std::string& path) {
  const bool own = !programIconFile_.empty() && path == programIconFile_;
  auto picture = own ? ProgramIcon(programIconFallback_, kWindowIconSize) : LoadIconPicture(path, kWindowIconSize);
  if (!picture) return false;
  icon_ = picture;
  iconFile_ = own ? std::string() : path;
  window_.set_icon(icon_);
  ++iconSerial_;
  return true;
}

// Hidden and shown again, the panel comes back where the user left it and at
// the size they gave it; the first time, the window manager places it.
void GtkPanel::SetVisible(bool visible) {
  if (unloaded_) return;
  if (!visible) {
    if (window_.get_visible() && !blinking_) {
      Place place;
      window_.get_position(place.x, place.y);
      window_.get_size(place.width, place.height);
      place_ = place;
    }
    return window_.hide();
  }
  {
    const auto showing = HoldWhile(showingWindow_, true);
    Render();
  }
  if (!blinking_) {
    if (place_) {
      window_.resize(place_->width, place_->height);
      window_.move(place_->x, place_->y);
    } else {
      FitToWorkArea();
    }
  }
  window_.show();
  window_.present();
  if (auto* ok = controls_[IndexOf(Control::cmdOK)]) ok->grab_default();
}

// The pages scroll rather than push the window off a small screen (a large
// scale or text size): the window asks for what its pages would like, no less
// than the design, and no more than the work area of its monitor.
void GtkPanel::FitToWorkArea() {
  Gtk::Requisition least;
  Gtk::Requisition natural;
  client_.get_preferred_size(least, natural);
  int width = std::max(natural.width, designWidth_);
  int height = std::max(natural.height, designHeight_);
  auto display = window_.get_display();
  Glib::RefPtr<Gdk::Monitor> monitor;
  if (auto gdkWindow = window_.get_window()) monitor = display->get_monitor_at_window(gdkWindow);
  if (!monitor) monitor = display->get_primary_monitor();
  if (!monitor && display->get_n_monitors() > 0) monitor = display->get_monitor(0);
  if (monitor) {
    Gdk::Rectangle area;
    monitor->get_workarea(area);
    width = std::min(width, area.get_width() - kFrameAllowanceWidth);
    height = std::min(height, area.get_height() - kFrameAllowanceHeight);
  }
  window_.resize(std::max(width, 1), std::max(height, 1));
}

// (X11's headers make None a macro.)
void GtkPanel::SetBorderStyle(BorderStyle style) {
  blinking_ = style != BorderStyle::FixedSingle;
  window_.set_decorated(!blinking_);
}

// Only the blink asks for another size than the panel's: the panel's own size
// is the one the user left it at, or the one fitted to the screen.
void GtkPanel::SetSizeTwips(int width, int height) {
  if (blinking_) window_.resize(std::max(Px(width), 1), std::max(Px(height), 1));
}

void GtkPanel::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  window_.hide();
  if (onUnloaded_) onUnloaded_();
}

}  // namespace blindfold::gtk
