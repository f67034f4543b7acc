// Random sessions of a user: on a copy of a workspace made once (the demo's
// menu-made ICD, the ICD it reads back and an imported ICD of the test
// files), a session selects tree items, picks items of their context menus,
// answers the questions that follow (hostile answers too), edits fields in
// the property view and exports the ICDs. After each step it checks that a
// refused step left the document as it was, and that each ICD file written
// holds no schema error its export did not name and names no breach the
// schema does not find. The session is kept as a kiln script, so that a
// failing one can be replayed with `kiln run`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kiln::test {

// Where a session's choices come from: a seeded generator (the test) or the
// bytes of an input (the fuzz target).
class Choices {
public:
    virtual ~Choices() = default;
    // A number below n (0 when n is 0).
    virtual size_t Pick(size_t n) = 0;
    // No more choices to make: the session ends early.
    virtual bool Exhausted() const { return false; }
    bool Chance(unsigned percent) { return Pick(100) < percent; }
};

class SeededChoices : public Choices {
public:
    explicit SeededChoices(uint64_t seed) : m_gen(seed) {}
    size_t Pick(size_t n) override { return n ? static_cast<size_t>(m_gen() % n) : 0; }

private:
    std::mt19937_64 m_gen;
};

class ByteChoices : public Choices {
public:
    ByteChoices(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t Pick(size_t n) override;
    bool Exhausted() const override { return m_at >= m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

struct SessionOptions {
    int steps = 30;
    // The schema the exports are checked against ("" checks none).
    std::string xsd;
};

// The workspace the sessions start from, made once in `dir` by playing the
// demo and importing a test ICD. False, with the reason, when it fails.
bool PrepareWorkspace(const std::string& dir, std::string& error);

struct SessionResult {
    std::vector<std::string> faults;  // what went wrong, one text each
    std::string script;               // the events played, as a kiln script
    int steps = 0, menus = 0, edits = 0, refusals = 0, exports = 0;
};

// Plays one session on a copy of the prepared workspace in `dir` (made
// afresh) and checks it.
SessionResult PlaySession(const std::string& prepared, const std::string& dir, Choices& choices,
                          const SessionOptions& options);

}  // namespace kiln::test
