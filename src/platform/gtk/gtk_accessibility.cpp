#include "platform/gtk/gtk_accessibility.h"

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

#include <array>
#include <cstddef>
#include <utility>

#include "platform/linux/glib_handles.h"

namespace blindfold::gtk {

using linux_desktop::GlibMemory;

void NameForReaders(Gtk::Widget& widget, const std::string& name) {
  if (auto accessible = widget.get_accessible()) accessible->set_name(name);
}

namespace {

using StateAnswer = AtkStateSet* (*)(AtkObject*);
// One answer of GTK's per accessible class, each behind a function of its own:
// a class's answer calls its parent class's through the parent's slot.
constexpr std::size_t kMostAccessibleClasses = 512;
std::array<StateAnswer, kMostAccessibleClasses> gtkAnswers{};

template <std::size_t I>
AtkStateSet* AnswerEvenWhenGone(AtkObject* accessible) {
  if (AtkStateSet* states = gtkAnswers[I](accessible)) return states;
  AtkStateSet* const defunct = atk_state_set_new();
  atk_state_set_add_state(defunct, ATK_STATE_DEFUNCT);
  return defunct;
}

template <std::size_t... I>
constexpr std::array<StateAnswer, sizeof...(I)> AnswersEvenWhenGone(std::index_sequence<I...>) {
  return {&AnswerEvenWhenGone<I>...};
}
constexpr auto kAnswersEvenWhenGone = AnswersEvenWhenGone(std::make_index_sequence<kMostAccessibleClasses>{});

void AnswerEvenWhenGoneFrom(GType type, std::size_t& used) {
  auto* const accessibles = static_cast<AtkObjectClass*>(g_type_class_ref(type));
  if (accessibles->ref_state_set && used < kMostAccessibleClasses) {
    gtkAnswers[used] = accessibles->ref_state_set;
    accessibles->ref_state_set = kAnswersEvenWhenGone[used];
    ++used;
  }
  guint count = 0;
  const GlibMemory<GType> children(g_type_children(type, &count));
  for (guint i = 0; i < count; ++i) AnswerEvenWhenGoneFrom(children.Get()[i], used);
}

}  // namespace

// A widget class names its accessible class when it is first made: every
// widget class is made first, so that every accessible class is there. A
// class made later still takes the answer of its parent's slot.
void LetGoneWidgetsAnswerAsDefunct() {
  static bool done = false;
  if (done) return;
  done = true;
  gtk_test_register_all_types();
  guint count = 0;
  const GType* const types = gtk_test_list_all_types(&count);
  for (guint i = 0; i < count; ++i) {
    if (G_TYPE_IS_CLASSED(types[i]) && g_type_is_a(types[i], GTK_TYPE_WIDGET)) g_type_class_ref(types[i]);
  }
  std::size_t used = 0;
  AnswerEvenWhenGoneFrom(GTK_TYPE_ACCESSIBLE, used);
}

}  // namespace blindfold::gtk
