#include "platform/gtk/gtk_panel.h"

#include <gdk/gdkx.h>

#include <algorithm>

#include "core/texts.h"

namespace blindfold::gtk {
namespace {

// The pages' controls were designed on the tab control, whose tabs take the
// top of it; GTK draws the tabs above the page, so the page starts lower.
constexpr int kPageTopTwips = 330;

void SetShown(Gtk::Widget& widget, bool shown) {
  if (widget.get_visible() != shown) widget.set_visible(shown);
}

void SetSensitive(Gtk::Widget& widget, bool enabled) {
  if (widget.get_sensitive() != enabled) widget.set_sensitive(enabled);
}

void SetText(Gtk::Widget& widget, const std::string& text) {
  if (auto* frame = dynamic_cast<Gtk::Frame*>(&widget)) {
    if (frame->get_label() != text) frame->set_label(text);
  } else if (auto* button = dynamic_cast<Gtk::Button*>(&widget)) {
    if (button->get_label() != text) button->set_label(text);
  } else if (auto* label = dynamic_cast<Gtk::Label*>(&widget)) {
    if (label->get_text() != text) label->set_text(text);
  } else if (auto* entry = dynamic_cast<Gtk::Entry*>(&widget)) {
    if (entry->get_text() != text) entry->set_text(text);
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

GtkPanel::GtkPanel(int widthTwips, int heightTwips) : optionGroups_(OptionGroups().size()) {
  window_.set_title(std::string(texts::kProgramName));
  window_.set_resizable(false);
  window_.add(client_);
  client_.show();
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    notebook_.append_page(pages_[i], Mnemonic(PanelView::PageCaption(static_cast<PanelPage>(i))), true);
    pages_[i].show();
  }
  notebook_.show();
  // A page is made when first shown (switch-page comes before GTK shows it).
  // A tab clicked is the user's choice of page, as Ctrl+Tab is; unreported,
  // the next render would take the panel back to the page the logic knows.
  // After GTK's own handler, so that the notebook already shows the new page.
  pageShowing_ = notebook_.signal_switch_page().connect(
      [this](Gtk::Widget*, guint page) { view_.PageShowing(static_cast<PanelPage>(page)); });
  pageSwitched_ = notebook_.signal_switch_page().connect(
      [this](Gtk::Widget*, guint page) { view_.PageSelected(static_cast<PanelPage>(page)); }, true);
  view_.AttachWidgets(*this);
  SetSizeTwips(widthTwips, heightTwips);
  window_.signal_key_press_event().connect(sigc::mem_fun(*this, &GtkPanel::OnKey), false);
  window_.signal_delete_event().connect(sigc::mem_fun(*this, &GtkPanel::OnDelete));
  // The window's X id is its handle: the logic needs it before it is shown.
  gtk_widget_realize(GTK_WIDGET(window_.gobj()));
}

// The pages' controls were designed on the tab control, whose tabs take the
// top of it; GTK draws the tabs above the page, so the page starts lower.
DesignRect GtkPanel::InContainer(Control control, DesignRect place) {
  if (InfoOf(control).page != kEveryPage) {
    place.left -= InfoOf(Control::SSTab1).design.left;
    place.top -= kPageTopTwips;
  }
  return place;
}

void GtkPanel::Create(const ControlSpec& spec) {
  const ControlInfo& info = *spec.info;
  Gtk::Widget* widget = info.kind == ControlKind::Tabs ? &notebook_ : Make(spec);
  Gtk::Fixed* container = info.page == kEveryPage ? &client_ : &pages_[static_cast<std::size_t>(info.page)];
  const DesignRect place = InContainer(info.control, spec.place);
  container->put(*widget, Px(place.left), Px(place.top));
  widget->set_size_request(Px(place.width), Px(place.height));
  controls_[IndexOf(info.control)] = {widget, container};
  if (info.kind == ControlKind::Tabs) return;
  Connect(spec, *widget);
  if (!info.neverShown) widget->show();
}

Gtk::Widget* GtkPanel::Make(const ControlSpec& spec) {
  const ControlInfo& info = *spec.info;
  const Glib::ustring caption = Mnemonic(spec.caption);
  switch (info.kind) {
    case ControlKind::Frame:
      return Gtk::make_managed<Gtk::Frame>(spec.caption);
    case ControlKind::Label: {
      auto* label = Gtk::make_managed<Gtk::Label>(spec.caption);
      label->set_xalign(0);
      label->set_line_wrap(true);
      return label;
    }
    case ControlKind::Link: {
      auto* link = Gtk::make_managed<Gtk::LinkButton>("", spec.caption);
      link->set_relief(Gtk::RELIEF_NONE);
      // Flush left in its design rectangle, as a label is.
      if (auto* text = dynamic_cast<Gtk::Label*>(link->get_child())) text->set_xalign(0);
      if (spec.title) link->get_child()->override_font(Pango::FontDescription("Sans Bold 20"));
      return link;
    }
    case ControlKind::CheckBox:
      return Gtk::make_managed<Gtk::CheckButton>(caption, true);
    case ControlKind::OptionButton: {
      Gtk::RadioButton::Group alone;
      return Gtk::make_managed<Gtk::RadioButton>(spec.optionGroup ? optionGroups_[*spec.optionGroup] : alone,
                                                 caption, true);
    }
    case ControlKind::TextBox:
    case ControlKind::KeyBox:
    case ControlKind::PasswordBox: {
      auto* entry = Gtk::make_managed<Gtk::Entry>();
      // As wide as the design says, not as wide as GTK's default text.
      entry->set_width_chars(1);
      if (spec.maxChars > 0) entry->set_max_length(static_cast<int>(spec.maxChars));
      if (info.kind == ControlKind::PasswordBox) entry->set_visibility(false);
      entry->set_activates_default(spec.enterPresses == Control::cmdOK);
      return entry;
    }
    case ControlKind::List:
    case ControlKind::MultiList:
      return MakeList(info);
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

Gtk::Widget* GtkPanel::MakeList(const ControlInfo& info) {
  ListView& list = *ListOf(info.control);
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

GtkPanel::ListView* GtkPanel::ListOf(Control control) {
  if (control == Control::List1) return &lists_[0];
  if (control == Control::List2) return &lists_[1];
  return nullptr;
}

void GtkPanel::Connect(const ControlSpec& spec, Gtk::Widget& widget) {
  const Control control = spec.info->control;
  const auto clicked = [this, control] { view_.Clicked(control); };
  switch (spec.info->kind) {
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
      const bool upperCase = spec.upperCase;
      entry.signal_changed().connect([this, &entry, control, upperCase] {
        if (view_.Rendering()) return;
        const std::string text = entry.get_text();
        if (upperCase) {
          const std::string upper = Glib::ustring(text).uppercase();
          if (upper != text) return entry.set_text(upper);
        }
        view_.TextChanged(control, text);
      });
      if (spec.info->kind == ControlKind::PasswordBox) {
        ReplaceOnFirstEdit(entry, [this, control] { view_.TextChanged(control, ""); });
      }
      if (spec.enterPresses != Control::cmdOK) {
        entry.signal_activate().connect([this, control] { view_.EnterPressed(control); });
      }
      break;
    }
    case ControlKind::List:
    case ControlKind::MultiList: {
      ListView& list = *ListOf(control);
      list.view->get_selection()->signal_changed().connect([this, control] { ReportSelection(control); });
      list.view->signal_row_activated().connect(
          [this, control](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) { view_.RowDoubleClicked(control); });
      break;
    }
    case ControlKind::Slider: {
      auto& scale = dynamic_cast<Gtk::Scale&>(widget);
      scale.signal_value_changed().connect(
          [this, &scale, control] { view_.ValueChanged(control, static_cast<int>(scale.get_value())); });
      break;
    }
    case ControlKind::Tabs:
    case ControlKind::Frame:
    case ControlKind::Label:
      break;
  }
}

void GtkPanel::ReportSelection(Control control) {
  if (view_.Rendering()) return;
  ListView& list = *ListOf(control);
  const bool multiple = InfoOf(control).kind == ControlKind::MultiList;
  std::vector<bool> marks;
  if (multiple) {
    marks.resize(list.store->children().size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
      marks[i] = list.view->get_selection()->is_selected(Gtk::TreePath(std::to_string(i)));
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
  view_.RowsSelected(control, marks, current);
}

void GtkPanel::Render() {
  if (!unloaded_) view_.Render();
}

void GtkPanel::Move(Control control, const DesignRect& place) {
  const Made& made = controls_[IndexOf(control)];
  if (!made.widget) return;
  const DesignRect local = InContainer(control, place);
  made.container->move(*made.widget, Px(local.left), Px(local.top));
  made.widget->set_size_request(Px(local.width), Px(local.height));
}

void GtkPanel::Apply(Control control, const ControlState& state) {
  Gtk::Widget* widget = controls_[IndexOf(control)].widget;
  if (!widget || InfoOf(control).kind == ControlKind::Tabs) return;
  if (state.text) SetText(*widget, *state.text);
  if (auto* radio = dynamic_cast<Gtk::RadioButton*>(widget)) {
    // A group's other buttons let go by themselves.
    if (state.check == CheckMark::Checked && !radio->get_active()) radio->set_active(true);
  } else if (auto* check = dynamic_cast<Gtk::CheckButton*>(widget); check && state.check) {
    const bool grayed = state.check == CheckMark::Grayed;
    const bool checked = state.check == CheckMark::Checked;
    if (check->get_inconsistent() != grayed) check->set_inconsistent(grayed);
    if (check->get_active() != checked) check->set_active(checked);
  }
  if (auto* scale = dynamic_cast<Gtk::Scale*>(widget); scale && state.value) {
    if (static_cast<int>(scale->get_value()) != *state.value) scale->set_value(*state.value);
  }
  if (auto* entry = dynamic_cast<Gtk::Entry*>(widget)) MarkReplacedOnEdit(*entry, state.replacedOnEdit);
  SetSensitive(*widget, state.enabled);
}

void GtkPanel::Show(Control control, bool visible) {
  if (Gtk::Widget* widget = controls_[IndexOf(control)].widget) SetShown(*widget, visible);
}

void GtkPanel::SelectPage(PanelPage page) {
  if (notebook_.get_current_page() != static_cast<int>(page)) notebook_.set_current_page(static_cast<int>(page));
}

void GtkPanel::FillList(Control control, const ListBox& rows) {
  ListView* list = ListOf(control);
  if (!list || !list->store) return;
  list->store->clear();
  for (const ListRow& row : rows.Rows()) {
    const auto columns = ColumnsOf(row.text);
    Gtk::TreeModel::Row stored = *list->store->append();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::size_t column = std::min(i, columns_.text.size() - 1);
      const Glib::ustring before = stored[columns_.text[column]];
      stored[columns_.text[column]] = before.empty() ? Glib::ustring(columns[i]) : before + " " + columns[i];
    }
  }
}

void GtkPanel::MarkRow(Control control, std::size_t row, bool marked) {
  ListView* list = ListOf(control);
  if (!list || !list->view) return;
  const Gtk::TreePath path(std::to_string(row));
  marked ? list->view->get_selection()->select(path) : list->view->get_selection()->unselect(path);
}

// A marked list's cursor is left to the user: GTK selects the row it moves to.
void GtkPanel::SetCurrentRow(Control control, std::optional<std::size_t> row) {
  ListView* list = ListOf(control);
  if (!list || !list->view || InfoOf(control).kind == ControlKind::MultiList) return;
  if (row) {
    list->view->get_selection()->select(Gtk::TreePath(std::to_string(*row)));
  } else {
    list->view->get_selection()->unselect_all();
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

void GtkPanel::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  window_.hide();
  if (onUnloaded_) onUnloaded_();
}

}  // namespace blindfold::gtk
