// The LN class of a logical node's type, as the generators read it.
#pragma once

#include "core/type_classes.h"

namespace kiln::editing {

using core::LnClassOfType;

}  // namespace kiln::editing
