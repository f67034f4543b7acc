// The commands that work on the information items of an ICD's ITB, most of
// them on rows the user picks in the information-item grid.
#pragma once

#include "commands/command_frame.h"

namespace kiln::commands {

// Entry renumbering and descriptions from the ITB (itb_description_commands.cpp).
Next SortInfoItemEnt(CommandFrame& f);
Next WriteDescByITB(CommandFrame& f);
// Mapping items of a series of bays (bay_mapping_command.cpp).
Next MostBayToM2IMapItem(CommandFrame& f);
// Logical nodes with an input each from chosen items (lnode_by_itb_command.cpp).
Next CreateLNodeByITB(CommandFrame& f);
// One logical node, DO name or attribute path for many mapping items
// (common_target_commands.cpp).
Next AppointToSame(CommandFrame& f);

}  // namespace kiln::commands
