#include "platform/gtk/gtk_panel.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gtk/callback_edge.h"

namespace blindfold::gtk {
namespace {

// The open-windows list shows at least this many rows where the screen has
// room for them: a user with many windows open should not scroll a slot.
constexpr int kListRowsShown = 8;

// A row's columns, which Windows lines up at the list's tab stops. The class
// column's header says what the row's "  (class)" after the class name says
// in a list without headers, so the column shows the name alone.
std::vector<std::string> ColumnsOf(const std::string& text) {
  std::vector<std::string> columns;
  std::size_t start = 0;
  for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1) {
    columns.push_back(text.substr(start, tab - start));
  }
  columns.push_back(text.substr(start));
  constexpr std::string_view kClassSuffix = "  (class)";
  if (std::string& last = columns.back(); columns.size() > 1 && last.ends_with(kClassSuffix)) {
    last.resize(last.size() - kClassSuffix.size());
  }
  return columns;
}

}  // namespace

// A list of several marks shows them as a column of check boxes, which a
// click or Space toggles; the highlighted row is the current one.
Gtk::Widget* GtkPanel::MakeList(const ControlInfo& info) {
  ListView& list = *ListOf(info.control);
  list.store = Gtk::ListStore::create(columns_);
  list.view = Gtk::make_managed<Gtk::TreeView>(list.store);
  if (info.kind == ControlKind::MultiList) {
    auto* mark = Gtk::make_managed<Gtk::CellRendererToggle>();
    mark->set_activatable(true);
    list.view->append_column("", *mark);
    list.view->get_column(0)->add_attribute(mark->property_active(), columns_.marked);
    mark->signal_toggled().connect([this, control = info.control](const Glib::ustring& path) {
      AtTheEdge("a row marked", [&] { ToggleMark(control, Gtk::TreePath(path)); });
    });
  }
  for (std::size_t i = 0; i < columns_.text.size(); ++i) {
    const int at = list.view->append_column(std::string(texts::kListColumnCaptions[i]), columns_.text[i]) - 1;
    list.view->get_column(at)->set_resizable(true);
    list.view->get_column(at)->set_expand(i == 0);
  }
  list.view->get_selection()->set_mode(Gtk::SELECTION_SINGLE);
  list.view->show();
  auto* scrolled = Gtk::make_managed<Gtk::ScrolledWindow>();
  scrolled->set_shadow_type(Gtk::SHADOW_IN);
  scrolled->set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  int rows = 0;
  if (info.kind == ControlKind::MultiList) {
    // A row is a line of the list's text with the cells' padding round it, and
    // the header one more.
    int width = 0;
    int line = 0;
    list.view->create_pango_layout("Ag")->get_pixel_size(width, line);
    rows = (kListRowsShown + 1) * (line + 8);
  }
  scrolled->set_min_content_height(std::max(rows, Px(info.design.height) - 24));
  scrolled->add(*list.view);
  return scrolled;
}

GtkPanel::ListView* GtkPanel::ListOf(Control control) {
  if (control == Control::OpenWindowsList) return &lists_[0];
  if (control == Control::AlwaysHideList) return &lists_[1];
  return nullptr;
}

void GtkPanel::ReportSelection(Control control) {
  if (view_.Rendering()) return;
  ListView& list = *ListOf(control);
  std::vector<bool> marks;
  if (InfoOf(control).kind == ControlKind::MultiList) {
    for (const auto& row : list.store->children()) marks.push_back(row[columns_.marked]);
  }
  std::optional<std::size_t> current;
  if (auto row = list.view->get_selection()->get_selected()) {
    current = static_cast<std::size_t>(list.store->get_path(row)[0]);
  }
  view_.RowsSelected(control, marks, current);
}

void GtkPanel::ToggleMark(Control control, const Gtk::TreePath& path) {
  ListView& list = *ListOf(control);
  const auto row = list.store->get_iter(path);
  if (!row) return;
  (*row)[columns_.marked] = !(*row)[columns_.marked];
  if (list.view->get_selection()->is_selected(row)) {
    ReportSelection(control);
  } else {
    // Selecting the row reports it, with the mark.
    list.view->set_cursor(path);
  }
}

void GtkPanel::FillList(Control control, const ListBox& rows) {
  ListView* list = ListOf(control);
  if (!list || !list->store) return;
  list->store->clear();
  for (const ListRow& row : rows.Rows()) {
    const auto columns = ColumnsOf(row.text);
    Gtk::TreeModel::Row stored = *list->store->append();
    stored[columns_.marked] = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::size_t column = std::min(i, columns_.text.size() - 1);
      const Glib::ustring before = stored[columns_.text[column]];
      stored[columns_.text[column]] = before.empty() ? Glib::ustring(columns[i]) : before + " " + columns[i];
    }
  }
}

void GtkPanel::MarkRow(Control control, std::size_t row, bool marked) {
  ListView* list = ListOf(control);
  if (!list || !list->store) return;
  if (auto stored = list->store->get_iter(Gtk::TreePath(std::to_string(row)))) (*stored)[columns_.marked] = marked;
}

// The current row is the highlighted one; moved only when it changed, as
// moving it scrolls the list to it.
void GtkPanel::SetCurrentRow(Control control, std::optional<std::size_t> row) {
  ListView* list = ListOf(control);
  if (!list || !list->view) return;
  const auto selection = list->view->get_selection();
  if (!row) return selection->unselect_all();
  const Gtk::TreePath path(std::to_string(*row));
  if (selection->is_selected(path)) return;
  if (InfoOf(control).kind == ControlKind::MultiList) {
    list->view->set_cursor(path);
  } else {
    selection->select(path);
  }
}

}  // namespace blindfold::gtk
