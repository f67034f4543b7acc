// The failure of a question that no answer was given for (or whose answer
// does not fit the question). It carries the question's kind and text.
#pragma once

#include <stdexcept>
#include <string>

class CUiScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
