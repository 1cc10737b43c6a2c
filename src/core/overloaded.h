#pragma once

namespace blindfold {

// One visitor for std::visit made of several lambdas, one per alternative.
template <typename... Visitors>
struct Overloaded : Visitors... {
  using Visitors::operator()...;
};
template <typename... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

}  // namespace blindfold
