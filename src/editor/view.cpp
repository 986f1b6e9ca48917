#include "editor/view.h"

#include "editor/edit_session.h"

namespace morvel {

View::View() : canvas(BlackWorkImage()) {}

}  // namespace morvel
