// The table of host events: their names, forms and help texts, and the check
// of an event's arguments that the script parser runs.
#pragma once

#include <string>
#include <vector>

namespace kiln::host {

struct EventDef {
    const char* name;
    const char* usage;    // "select [TEXT ...]"
    const char* summary;  // one line for `kiln --help`
    const char* help;     // the paragraph of `kiln help EVENT`
    int minArgs;
    int maxArgs;  // -1: no limit
};

// Every event, in the order the help lists them.
const std::vector<EventDef>& EventDefs();

// The event of that name, or null.
const EventDef* FindEventDef(const std::string& name);

// Whether the text is a positive whole number of digits only ("3"), as a
// count or a place an event names.
bool IsCount(const std::string& s);

// Checks the arguments of an event; an empty text when they are right,
// otherwise what is wrong.
std::string CheckEventArgs(const EventDef& def, const std::vector<std::string>& args);

}  // namespace kiln::host
