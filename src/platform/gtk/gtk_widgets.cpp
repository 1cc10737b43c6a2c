#include "platform/gtk/gtk_panel.h"

#include <cstring>
#include <string>

#include "core/scope_guard.h"
#include "platform/gtk/callback_edge.h"
#include "platform/gtk/gtk_accessibility.h"
#include "platform/gtk/gtk_layout.h"
#include "platform/gtk/gtk_password_box.h"

namespace blindfold::gtk {
namespace {

void SetShown(Gtk::Widget& widget, bool shown) {
  if (widget.get_visible() != shown) widget.set_visible(shown);
}

void SetSensitive(Gtk::Widget& widget, bool enabled) {
  if (widget.get_sensitive() != enabled) widget.set_sensitive(enabled);
}

// A frame's caption wraps, as a label does, rather than widen the page beyond
// a small screen.
void SetFrameCaption(Gtk::Frame& frame, const std::string& text) {
  frame.set_label(text);
  if (auto* label = dynamic_cast<Gtk::Label*>(frame.get_label_widget())) {
    label->set_line_wrap(true);
    label->set_xalign(0);
  }
}

// A frame's or a button's caption is changed in its label: a new caption
// given to the frame or button itself would replace the label widget, and the
// accessibility bridge keeps the old one's accessible after its widget has
// gone, which it then reports on standard error whenever a screen reader asks.
void SetText(Gtk::Widget& widget, const std::string& text) {
  if (auto* frame = dynamic_cast<Gtk::Frame*>(&widget)) {
    if (auto* label = dynamic_cast<Gtk::Label*>(frame->get_label_widget())) {
      if (label->get_text() != text) label->set_text(text);
    } else if (frame->get_label() != text) {
      SetFrameCaption(*frame, text);
    }
  } else if (auto* button = dynamic_cast<Gtk::Button*>(&widget)) {
    if (auto* label = dynamic_cast<Gtk::Label*>(button->get_child())) {
      if (label->get_label() == text) return;
      if (button->get_use_underline()) return label->set_text_with_mnemonic(text);
      label->set_text(text);
    } else if (button->get_label() != text) {
      button->set_label(text);
    }
  } else if (auto* label = dynamic_cast<Gtk::Label*>(&widget)) {
    if (!label->get_use_underline()) {
      if (label->get_text() != text) label->set_text(text);
    } else if (const Glib::ustring mnemonic = Mnemonic(text); label->get_label() != mnemonic) {
      label->set_text_with_mnemonic(mnemonic);
    }
  } else if (auto* entry = dynamic_cast<Gtk::Entry*>(&widget)) {
    // Compared in place: a copy of a password would stay in memory.
    if (text != gtk_entry_get_text(entry->gobj())) entry->set_text(text);
  }
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

Gtk::Widget* GtkPanel::Make(const ControlSpec& spec) {
  const ControlInfo& info = *spec.info;
  const Glib::ustring caption = Mnemonic(spec.caption);
  switch (info.kind) {
    case ControlKind::Frame: {
      auto* frame = Gtk::make_managed<Gtk::Frame>();
      SetFrameCaption(*frame, spec.caption);
      auto* body = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL, kSpacing);
      body->set_border_width(kSpacing);
      frame->add(*body);
      body->show();
      frameBodies_[IndexOf(info.control)] = body;
      return frame;
    }
    case ControlKind::Label: {
      const bool mnemonic = spec.caption.find('&') != std::string::npos;
      auto* label = Gtk::make_managed<Gtk::Label>(mnemonic ? caption : Glib::ustring(spec.caption), mnemonic);
      label->set_xalign(0);
      label->set_line_wrap(true);
      // Wraps rather than widens the window.
      label->set_max_width_chars(70);
      return label;
    }
    case ControlKind::Link: {
      auto* link = Gtk::make_managed<Gtk::LinkButton>("", spec.caption);
      link->set_relief(Gtk::RELIEF_NONE);
      // The logic opens what a link leads to: it has no address to show.
      link->set_has_tooltip(false);
      link->set_halign(Gtk::ALIGN_START);
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
      entry->set_width_chars(info.kind == ControlKind::KeyBox ? 2 : 16);
      if (spec.maxChars > 0) entry->set_max_length(static_cast<int>(spec.maxChars));
      if (info.kind == ControlKind::PasswordBox) {
        entry->set_visibility(false);
        entry->set_input_purpose(Gtk::INPUT_PURPOSE_PASSWORD);
      }
      entry->set_activates_default(spec.enterPresses == Control::cmdOK);
      return entry;
    }
    case ControlKind::List:
    case ControlKind::MultiList:
      return MakeList(info);
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = Gtk::make_managed<Gtk::Button>(caption, true);
      button->set_valign(Gtk::ALIGN_CENTER);
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

void GtkPanel::Connect(const ControlSpec& spec, Gtk::Widget& widget) {
  const Control control = spec.info->control;
  const auto clicked = [this, control] {
    AtTheEdge("a click", [&] {
      // The user's click, not an option button the render chose.
      if (!view_.Rendering()) ThrowWhenTestAsks("click");
      view_.Clicked(control);
    });
  };
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
        // Straight from the entry's buffer, and wiped however the report
        // ends: the password box's text must not stay behind in memory.
        std::string text = gtk_entry_get_text(entry.gobj());
        const ScopeExit wipe([&text] { explicit_bzero(text.data(), text.size()); });
        AtTheEdge("an edit", [&] {
          if (upperCase) {
            const std::string upper = Glib::ustring(text).uppercase();
            if (upper != text) return entry.set_text(upper);
          }
          view_.TextChanged(control, text);
        });
      });
      if (spec.info->kind == ControlKind::PasswordBox) {
        ReplaceOnFirstEdit(entry, [this, control] { view_.TextChanged(control, ""); });
      }
      if (spec.enterPresses != Control::cmdOK) {
        entry.signal_activate().connect(
            [this, control] { AtTheEdge("Enter in a box", [&] { view_.EnterPressed(control); }); });
      }
      break;
    }
    case ControlKind::List:
    case ControlKind::MultiList: {
      ListView& list = *ListOf(control);
      list.view->get_selection()->signal_changed().connect(
          [this, control] { AtTheEdge("a row chosen", [&] { ReportSelection(control); }); });
      list.view->signal_row_activated().connect([this, control](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) {
        AtTheEdge("a row double-clicked", [&] { view_.RowDoubleClicked(control); });
      });
      if (spec.info->kind == ControlKind::MultiList) {
        list.view->signal_key_press_event().connect(
            [this, &list, control](GdkEventKey* event) {
              if (event->keyval != GDK_KEY_space && event->keyval != GDK_KEY_KP_Space) return false;
              AtTheEdge("a row marked", [&] {
                Gtk::TreePath path;
                Gtk::TreeViewColumn* column = nullptr;
                list.view->get_cursor(path, column);
                if (!path.empty()) ToggleMark(control, path);
              });
              return true;
            },
            false);
      }
      break;
    }
    case ControlKind::Slider: {
      auto& scale = dynamic_cast<Gtk::Scale&>(widget);
      scale.signal_value_changed().connect([this, &scale, control] {
        AtTheEdge("a slider moved", [&] { view_.ValueChanged(control, static_cast<int>(scale.get_value())); });
      });
      break;
    }
    case ControlKind::Tabs:
    case ControlKind::Frame:
    case ControlKind::Label:
      break;
  }
}

// A field without a label (a list, the icon's file, a row of options) is
// named after the frame it sits in; a label with an access key names its own
// field.
void GtkPanel::NameAfterFrame(Control frame) {
  auto* framed = dynamic_cast<Gtk::Frame*>(controls_[IndexOf(frame)]);
  if (!framed) return;
  const std::string name = framed->get_label();
  for (Gtk::Widget* rowWidget : frameBodies_[IndexOf(frame)]->get_children()) {
    auto* row = dynamic_cast<Gtk::Box*>(rowWidget);
    if (!row) continue;
    bool options = row->get_homogeneous();
    if (options) NameForReaders(*row, name);
    for (Gtk::Widget* child : row->get_children()) {
      if (auto* scrolled = dynamic_cast<Gtk::ScrolledWindow*>(child)) NameForReaders(*scrolled->get_child(), name);
    }
  }
  for (const ControlInfo& info : Controls()) {
    if (info.kind != ControlKind::TextBox || FrameOf(info) != frame || info.neverShown) continue;
    if (!HasOwnLabel(info.control)) NameForReaders(*controls_[IndexOf(info.control)], name);
  }
}

void GtkPanel::Apply(Control control, const ControlState& state) {
  Gtk::Widget* widget = controls_[IndexOf(control)];
  if (!widget || InfoOf(control).kind == ControlKind::Tabs) return;
  if (state.text) {
    if (InfoOf(control).kind == ControlKind::Frame && dynamic_cast<Gtk::Frame&>(*widget).get_label() != *state.text) {
      SetText(*widget, *state.text);
      NameAfterFrame(control);
    } else {
      SetText(*widget, *state.text);
    }
  }
  if (auto* radio = dynamic_cast<Gtk::RadioButton*>(widget)) {
    ApplyOption(*radio, control, state);
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

// A group's other buttons let go by themselves; while the model chooses none,
// the group's unseen button is the one chosen.
void GtkPanel::ApplyOption(Gtk::RadioButton& option, Control control, const ControlState& state) {
  if (state.check == CheckMark::Checked) {
    if (!option.get_active()) option.set_active(true);
    return;
  }
  const auto group = view_.SpecOf(InfoOf(control)).optionGroup;
  if (option.get_active() && group) noneChosen_[*group]->set_active(true);
}

void GtkPanel::Show(Control control, bool visible) {
  if (Gtk::Widget* widget = controls_[IndexOf(control)]) SetShown(*widget, visible);
}

void GtkPanel::SelectPage(PanelPage page) {
  if (showingWindow_) ThrowWhenTestAsks("show");
  if (notebook_.get_current_page() != static_cast<int>(page)) notebook_.set_current_page(static_cast<int>(page));
}

}  // namespace blindfold::gtk
