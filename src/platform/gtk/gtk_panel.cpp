#include "platform/gtk/gtk_panel.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <variant>

namespace blindfold::gtk {
namespace {

constexpr std::array<const char*, 5> kPageCaptions = {"_Open windows", "_Hotkeys", "_Settings", "S_tealth",
                                                      "_About"};

// The pages' controls were designed on the tab control, whose tabs take the
// top of it; GTK draws the tabs above the page, so the page starts lower.
constexpr int kPageTopTwips = 330;

std::optional<std::size_t> ListIndexOf(Control control) {
  if (control == Control::List1) return 0;
  if (control == Control::List2) return 1;
  return std::nullopt;
}

void SetShown(Gtk::Widget& widget, bool shown) {
  if (widget.get_visible() != shown) widget.set_visible(shown);
}

void SetSensitive(Gtk::Widget& widget, bool enabled) {
  if (widget.get_sensitive() != enabled) widget.set_sensitive(enabled);
}

void SetLabel(Gtk::Widget& widget, const std::string& caption) {
  if (auto* frame = dynamic_cast<Gtk::Frame*>(&widget)) {
    if (frame->get_label() != caption) frame->set_label(caption);
  } else if (auto* button = dynamic_cast<Gtk::Button*>(&widget)) {
    if (button->get_label() != caption) button->set_label(caption);
  } else if (auto* label = dynamic_cast<Gtk::Label*>(&widget)) {
    if (label->get_text() != caption) label->set_text(caption);
  }
}

// Whether an entry holds a text the user may replace but never edit: the
// stored password's key.
constexpr char kReplacedOnEdit[] = "blindfold-replaced-on-edit";

void MarkReplacedOnEdit(Gtk::Entry& entry, bool replaced) {
  g_object_set_data(G_OBJECT(entry.gobj()), kReplacedOnEdit, GINT_TO_POINTER(replaced ? 1 : 0));
}

bool ReplacedOnEdit(Gtk::Entry& entry) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(entry.gobj()), kReplacedOnEdit)) != 0;
}

// The first edit of an entry that is replaced on edit empties it first, and
// focusing it by a click selects all of it, as the keyboard's focus does: an
// edit that kept any of the stored key would make a password nobody knows.
// The emptying is told at once: inside a paste, GTK tells of one change only,
// from the key straight to the pasted text.
void ReplaceOnFirstEdit(Gtk::Entry& entry, const std::function<void()>& emptied) {
  const auto startAfresh = [&entry, emptied] {
    if (!ReplacedOnEdit(entry)) return false;
    MarkReplacedOnEdit(entry, false);
    entry.set_text("");
    emptied();
    return true;
  };
  entry.signal_insert_text().connect(
      [startAfresh](const Glib::ustring&, int* position) {
        if (startAfresh()) *position = 0;
      },
      false);
  entry.signal_delete_text().connect(
      [&entry, startAfresh](int, int) {
        if (startAfresh()) g_signal_stop_emission_by_name(entry.gobj(), "delete-text");
      },
      false);
  // After the click has placed the cursor, which the entry does on release.
  entry.signal_button_release_event().connect(
      [&entry](GdkEventButton*) {
        if (ReplacedOnEdit(entry)) {
          Glib::signal_idle().connect_once(sigc::bind(sigc::mem_fun(entry, &Gtk::Entry::select_region), 0, -1));
        }
        return false;
      },
      false);
}

// Writes one model part into its widget; false when the model hides it.
struct FieldWriter {
  Gtk::Widget& widget;

  bool operator()(std::monostate) const { return true; }
  bool operator()(const Frame* frame) const {
    SetLabel(widget, frame->caption);
    return frame->visible;
  }
  bool operator()(const Label* label) const {
    SetLabel(widget, label->caption);
    return label->visible;
  }
  bool operator()(const CheckBox* box) const {
    auto& check = dynamic_cast<Gtk::CheckButton&>(widget);
    if (check.get_inconsistent() != (box->value == 2)) check.set_inconsistent(box->value == 2);
    if (check.get_active() != (box->value == 1)) check.set_active(box->value == 1);
    SetSensitive(widget, box->enabled);
    return box->visible;
  }
  bool operator()(const OptionButton* option) const {
    auto& radio = dynamic_cast<Gtk::RadioButton&>(widget);
    if (option->value && !radio.get_active()) radio.set_active(true);
    SetSensitive(widget, option->enabled);
    return true;
  }
  bool operator()(const TextBox* box) const {
    auto& entry = dynamic_cast<Gtk::Entry&>(widget);
    if (entry.get_text() != box->text) entry.set_text(box->text);
    MarkReplacedOnEdit(entry, box->replacedOnEdit);
    SetSensitive(widget, box->enabled);
    return box->visible;
  }
  bool operator()(const Button* button) const {
    SetSensitive(widget, button->enabled);
    return button->visible;
  }
  bool operator()(const Slider* slider) const {
    auto& scale = dynamic_cast<Gtk::Scale&>(widget);
    if (static_cast<int>(scale.get_value()) != slider->value) scale.set_value(slider->value);
    SetSensitive(widget, slider->enabled);
    return true;
  }
  bool operator()(const ListBox* list) const { return list->visible; }
};

// A row's columns, which Windows lines up at the list's tab stops.
std::vector<std::string> ColumnsOf(const std::string& text) {
  std::vector<std::string> columns;
  std::size_t start = 0;
  for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1) {
    columns.push_back(text.substr(start, tab - start));
  }
  columns.push_back(text.substr(start));
  return columns;
}

// A caption as it reads on Linux, where a program starts when the user logs
// in rather than when the system starts.
std::string CaptionOf(const ControlInfo& info) {
  if (info.control == Control::chkStartWithWindows) return "[ Start Blindfold every&time you log in ] ";
  return std::string(info.caption);
}

}  // namespace

Glib::ustring Mnemonic(std::string_view caption) {
  std::string text;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '_') {
      text += "__";
    } else if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') {
      text += '&';
      ++i;
    } else {
      text += caption[i] == '&' ? '_' : caption[i];
    }
  }
  return text;
}

GtkPanel::GtkPanel(int widthTwips, int heightTwips) {
  window_.set_title(std::string(InfoOf(Control::Label5).caption));
  window_.set_resizable(false);
  window_.add(client_);
  client_.show();
  Build();
  SetSizeTwips(widthTwips, heightTwips);
  window_.signal_key_press_event().connect(sigc::mem_fun(*this, &GtkPanel::OnKey), false);
  window_.signal_delete_event().connect(sigc::mem_fun(*this, &GtkPanel::OnDelete));
  // The window's X id is its handle: the logic needs it before it is shown.
  gtk_widget_realize(GTK_WIDGET(window_.gobj()));
}

void GtkPanel::Build() {
  const DesignRect& tabs = InfoOf(Control::SSTab1).design;
  client_.put(notebook_, Px(tabs.left), Px(tabs.top));
  notebook_.set_size_request(Px(tabs.width), Px(tabs.height));
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    notebook_.append_page(pages_[i], kPageCaptions[i], true);
    pages_[i].show();
  }
  notebook_.show();
  // A tab clicked is the user's choice of page, as Ctrl+Tab is; unreported,
  // the next render would take the panel back to the page the logic knows.
  // After GTK's own handler, so that the notebook already shows the new page.
  // A page is made when first shown (switch-page comes before GTK shows it):
  // most starts show only the first.
  notebook_.signal_switch_page().connect([this](Gtk::Widget*, guint page) { BuildPage(static_cast<int>(page)); });
  pageSwitched_ = notebook_.signal_switch_page().connect(
      [this](Gtk::Widget*, guint page) {
        if (!panel_ || static_cast<guint>(panel_->SSTab1) == page) return;
        Report([page](PanelEvents& events) { events.PageSelected(static_cast<PanelPage>(page)); });
      },
      true);
  controls_[IndexOf(Control::SSTab1)] = {&notebook_, &client_, tabs};
  BuildPage(kEveryPage);
  BuildPage(0);
}

void GtkPanel::BuildPage(int page) {
  if (page != kEveryPage) {
    bool& built = pageBuilt_[static_cast<std::size_t>(page)];
    if (built) return;
    built = true;
  }
  const DesignRect& tabs = InfoOf(Control::SSTab1).design;
  // Frames first, so that the controls they hold are drawn over them.
  for (const bool frames : {true, false}) {
    for (const ControlInfo& info : Controls()) {
      if (info.page != page || info.control == Control::SSTab1 || (info.kind == ControlKind::Frame) != frames) continue;
      Gtk::Widget* widget = Create(info);
      Gtk::Fixed* container = info.page == kEveryPage ? &client_ : &pages_[static_cast<std::size_t>(info.page)];
      DesignRect place = info.design;
      if (info.page != kEveryPage) {
        place.left -= tabs.left;
        place.top -= kPageTopTwips;
      }
      container->put(*widget, Px(place.left), Px(place.top));
      widget->set_size_request(Px(place.width), Px(place.height));
      controls_[IndexOf(info.control)] = {widget, container, place};
      Connect(info, *widget);
      if (!info.neverShown) widget->show();
    }
  }
  // A page made after the start shows what the model holds at once; made by a
  // render's change of page, that render goes on to draw it.
  if (page != kEveryPage && panel_ && !rendering_) Render();
}

Gtk::Widget* GtkPanel::Create(const ControlInfo& info) {
  const std::string plainCaption = CaptionOf(info);
  const Glib::ustring caption = Mnemonic(plainCaption);
  switch (info.kind) {
    case ControlKind::Frame:
      return Gtk::make_managed<Gtk::Frame>(plainCaption);
    case ControlKind::Label: {
      auto* label = Gtk::make_managed<Gtk::Label>(plainCaption);
      label->set_xalign(0);
      label->set_line_wrap(true);
      return label;
    }
    case ControlKind::Link: {
      auto* link = Gtk::make_managed<Gtk::LinkButton>("", plainCaption);
      link->set_relief(Gtk::RELIEF_NONE);
      // Flush left in its design rectangle, as a label is.
      if (auto* text = dynamic_cast<Gtk::Label*>(link->get_child())) text->set_xalign(0);
      if (info.control == Control::Label5) {
        link->get_child()->override_font(Pango::FontDescription("Sans Bold 20"));
      }
      return link;
    }
    case ControlKind::CheckBox:
      return Gtk::make_managed<Gtk::CheckButton>(caption, true);
    case ControlKind::OptionButton: {
      const bool menuRow = IndexOf(info.control) < IndexOf(Control::optTrayHideWindows_0);
      return Gtk::make_managed<Gtk::RadioButton>(menuRow ? menuGroup_ : hideGroup_, caption, true);
    }
    case ControlKind::TextBox:
    case ControlKind::KeyBox:
    case ControlKind::PasswordBox: {
      auto* entry = Gtk::make_managed<Gtk::Entry>();
      // As wide as the design says, not as wide as GTK's default text.
      entry->set_width_chars(1);
      if (info.kind == ControlKind::KeyBox) entry->set_max_length(1);
      if (info.kind == ControlKind::PasswordBox) entry->set_visibility(false);
      // Enter in any other box presses the default button.
      entry->set_activates_default(info.kind != ControlKind::PasswordBox);
      return entry;
    }
    case ControlKind::List:
    case ControlKind::MultiList:
      return CreateList(info);
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = Gtk::make_managed<Gtk::Button>(caption, true);
      if (info.kind == ControlKind::DefaultButton) button->set_can_default(true);
      return button;
    }
    case ControlKind::Slider: {
      auto* scale = Gtk::make_managed<Gtk::Scale>(Gtk::ORIENTATION_HORIZONTAL);
      scale->set_range(Slider::kMin, Slider::kMax);
      scale->set_increments(1, 10);
      scale->set_digits(0);
      scale->set_value_pos(Gtk::POS_RIGHT);
      return scale;
    }
    case ControlKind::Tabs:
      break;
  }
  return Gtk::make_managed<Gtk::Label>();
}

Gtk::Widget* GtkPanel::CreateList(const ControlInfo& info) {
  ListView& list = lists_[*ListIndexOf(info.control)];
  list.store = Gtk::ListStore::create(columns_);
  list.view = Gtk::make_managed<Gtk::TreeView>(list.store);
  list.view->set_headers_visible(false);
  for (auto& column : columns_.text) list.view->append_column("", column);
  list.view->get_selection()->set_mode(info.kind == ControlKind::MultiList ? Gtk::SELECTION_MULTIPLE
                                                                          : Gtk::SELECTION_SINGLE);
  list.view->show();
  auto* scrolled = Gtk::make_managed<Gtk::ScrolledWindow>();
  scrolled->set_shadow_type(Gtk::SHADOW_IN);
  scrolled->add(*list.view);
  return scrolled;
}

void GtkPanel::Connect(const ControlInfo& info, Gtk::Widget& widget) {
  const Control control = info.control;
  const auto clicked = [this, control] { Report([control](PanelEvents& events) { events.Clicked(control); }); };
  switch (info.kind) {
    case ControlKind::Link:
      dynamic_cast<Gtk::LinkButton&>(widget).signal_activate_link().connect(
          [clicked] {
            clicked();
            return true;  // the logic opens whatever the link leads to
          },
          false);
      break;
    case ControlKind::CheckBox:
    case ControlKind::Button:
    case ControlKind::DefaultButton:
      dynamic_cast<Gtk::Button&>(widget).signal_clicked().connect(clicked);
      break;
    case ControlKind::OptionButton: {
      auto& radio = dynamic_cast<Gtk::RadioButton&>(widget);
      radio.signal_toggled().connect([&radio, clicked] {
        if (radio.get_active()) clicked();
      });
      break;
    }
    case ControlKind::TextBox:
    case ControlKind::KeyBox:
    case ControlKind::PasswordBox: {
      auto& entry = dynamic_cast<Gtk::Entry&>(widget);
      const bool keyBox = info.kind == ControlKind::KeyBox;
      entry.signal_changed().connect([this, &entry, control, keyBox] {
        if (rendering_) return;
        std::string text = entry.get_text();
        // A hotkey's key is shown as its key cap reads.
        if (keyBox) {
          const std::string upper = Glib::ustring(text).uppercase();
          if (upper != text) return entry.set_text(upper);
        }
        Report([&](PanelEvents& events) { events.TextChanged(control, text); });
      });
      if (info.kind == ControlKind::PasswordBox) {
        ReplaceOnFirstEdit(entry, [this, control] {
          Report([control](PanelEvents& events) { events.TextChanged(control, ""); });
        });
        entry.signal_activate().connect(
            [this] { Report([](PanelEvents& events) { events.Clicked(Control::cmdSetPassword); }); });
      }
      break;
    }
    case ControlKind::List:
    case ControlKind::MultiList: {
      ListView& list = lists_[*ListIndexOf(control)];
      list.view->get_selection()->signal_changed().connect([this, control] { ReportSelection(control); });
      list.view->signal_row_activated().connect([this, control](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) {
        Report([control](PanelEvents& events) { events.RowDoubleClicked(control); });
      });
      break;
    }
    case ControlKind::Slider: {
      auto& scale = dynamic_cast<Gtk::Scale&>(widget);
      scale.signal_value_changed().connect([this, &scale] {
        const int value = static_cast<int>(scale.get_value());
        Report([value](PanelEvents& events) { events.ValueChanged(Control::Slider1, value); });
      });
      break;
    }
    case ControlKind::Tabs:
    case ControlKind::Frame:
    case ControlKind::Label:
      break;
  }
}

void GtkPanel::ReportSelection(Control control) {
  if (rendering_) return;
  ListView& list = lists_[*ListIndexOf(control)];
  const bool multiple = InfoOf(control).kind == ControlKind::MultiList;
  std::vector<bool> marks;
  if (multiple) {
    marks.resize(list.shown.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
      marks[i] = list.view->get_selection()->is_selected(Gtk::TreePath(std::to_string(i)));
      list.shown[i].marked = marks[i];
    }
  }
  std::optional<std::size_t> current;
  Gtk::TreePath path;
  Gtk::TreeViewColumn* column = nullptr;
  list.view->get_cursor(path, column);
  if (!multiple) {
    if (auto row = list.view->get_selection()->get_selected()) path = list.store->get_path(row);
    else path = Gtk::TreePath();
  }
  if (!path.empty()) current = static_cast<std::size_t>(path[0]);
  Report([&](PanelEvents& events) { events.RowsSelected(control, marks, current); });
}

void GtkPanel::Attach(PanelModel& panel, PanelEvents& events) {
  panel_ = &panel;
  events_ = &events;
  Render();
}

void GtkPanel::Render() {
  if (!panel_ || unloaded_) return;
  rendering_ = true;
  if (notebook_.get_current_page() != static_cast<int>(panel_->SSTab1)) {
    notebook_.set_current_page(static_cast<int>(panel_->SSTab1));
  }
  RenderList(lists_[0], panel_->List1, true);
  RenderList(lists_[1], panel_->List2, false);
  for (const ControlInfo& info : Controls()) {
    Gtk::Widget* widget = controls_[IndexOf(info.control)].widget;
    if (!widget || info.control == Control::SSTab1) continue;
    const bool modelShows = std::visit(FieldWriter{*widget}, FieldOf(*panel_, info.control));
    SetShown(*widget, modelShows && !info.neverShown);
  }
  rendering_ = false;
}

// Refills a list only when its rows changed, then brings the marks and the
// current row in line.
void GtkPanel::RenderList(ListView& list, const ListBox& model, bool marked) {
  const auto sameRow = [](const ListRow& a, const ListRow& b) { return a.text == b.text && a.itemData == b.itemData; };
  if (!std::equal(list.shown.begin(), list.shown.end(), model.Rows().begin(), model.Rows().end(), sameRow)) {
    list.store->clear();
    for (const ListRow& row : model.Rows()) {
      const auto columns = ColumnsOf(row.text);
      Gtk::TreeModel::Row stored = *list.store->append();
      for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::size_t column = std::min(i, columns_.text.size() - 1);
        const Glib::ustring before = stored[columns_.text[column]];
        stored[columns_.text[column]] = before.empty() ? Glib::ustring(columns[i]) : before + " " + columns[i];
      }
    }
    list.shown = model.Rows();
    for (ListRow& row : list.shown) row.marked = false;
  }
  auto selection = list.view->get_selection();
  const auto current = model.CurrentRow();
  if (marked) {
    for (std::size_t i = 0; i < list.shown.size(); ++i) {
      if (list.shown[i].marked == model.Rows()[i].marked) continue;
      const Gtk::TreePath path(std::to_string(i));
      model.Rows()[i].marked ? selection->select(path) : selection->unselect(path);
      list.shown[i].marked = model.Rows()[i].marked;
    }
  } else if (current) {
    selection->select(Gtk::TreePath(std::to_string(*current)));
  } else {
    selection->unselect_all();
  }
}

// Esc is the close box; Ctrl+Tab and Ctrl+Shift+Tab go round the pages as
// Ctrl+PgDn and Ctrl+PgUp do in every GTK notebook.
bool GtkPanel::OnKey(GdkEventKey* event) {
  if (event->keyval == GDK_KEY_Escape) {
    OnDelete(nullptr);
    return true;
  }
  const bool control = (event->state & GDK_CONTROL_MASK) != 0;
  if (!control || !panel_ || (event->keyval != GDK_KEY_Tab && event->keyval != GDK_KEY_ISO_Left_Tab)) return false;
  const int step = (event->state & GDK_SHIFT_MASK) || event->keyval == GDK_KEY_ISO_Left_Tab ? -1 : 1;
  constexpr int kPages = 5;
  const int page = (static_cast<int>(panel_->SSTab1) + step + kPages) % kPages;
  Report([page](PanelEvents& events) { events.PageSelected(static_cast<PanelPage>(page)); });
  return true;
}

bool GtkPanel::OnDelete(GdkEventAny*) {
  if (events_ && !rendering_ && events_->CloseRequested(CloseReason::ControlMenu)) Unload();
  Render();
  return true;
}

void GtkPanel::SessionEnding() {
  if (events_ && events_->CloseRequested(CloseReason::WindowsEnding)) Unload();
}

WindowHandle GtkPanel::Handle() {
  auto gdkWindow = window_.get_window();
  if (!gdkWindow || unloaded_) return WindowHandle();
  return WindowHandle(static_cast<std::int32_t>(gdk_x11_window_get_xid(gdkWindow->gobj())));
}

bool GtkPanel::LoadIconFile(const std::string& path) {
  try {
    icon_ = Gdk::Pixbuf::create_from_file(path, 64, 64, true);
  } catch (const Glib::Error&) {
    return false;
  }
  window_.set_icon(icon_);
  ++iconSerial_;
  return true;
}

void GtkPanel::SetVisible(bool visible) {
  if (unloaded_) return;
  if (!visible) return window_.hide();
  Render();
  window_.show();
  window_.present();
  if (auto* ok = controls_[IndexOf(Control::cmdOK)].widget) ok->grab_default();
}

void GtkPanel::SetSizeTwips(int width, int height) {
  client_.set_size_request(Px(width), Px(height));
  window_.resize(Px(width), Px(height));
}

// A placement is relative to the control's container, as the design was drawn.
void GtkPanel::PlaceControl(const ControlPlacement& placement) {
  Shown& shown = controls_[IndexOf(placement.control)];
  if (!shown.widget) return;
  const Control container = ContainerOf(placement.control);
  DesignRect origin;
  if (container != Control::SSTab1) {
    origin = controls_[IndexOf(container)].place;
  } else {
    origin.top = -kPageTopTwips + InfoOf(Control::SSTab1).design.top;
  }
  if (placement.left) shown.place.left = origin.left + *placement.left;
  if (placement.top) shown.place.top = origin.top + *placement.top;
  if (placement.width) shown.place.width = *placement.width;
  if (placement.height) shown.place.height = *placement.height;
  shown.container->move(*shown.widget, Px(shown.place.left), Px(shown.place.top));
  shown.widget->set_size_request(Px(shown.place.width), Px(shown.place.height));
}

void GtkPanel::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  window_.hide();
  if (onUnloaded_) onUnloaded_();
}

}  // namespace blindfold::gtk
