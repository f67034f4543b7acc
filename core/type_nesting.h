// How deep the walks of types go. A DO type holds SDOs and DAs of other
// types, a DA type BDAs of others, an LN type derives from its base: a file
// may bring a nesting of any depth, or a type that contains itself. Every
// walk of types passes at most kTypeNestingBound types along one path (a DO
// type, the types of its SDOs, DAs and BDAs below it) and along an LN type's
// chain of bases (the type included), so no type makes a walk overflow the
// stack or run for minutes; the imports and the checks name each type that
// nests or derives deeper, or contains itself. A nesting wide at each level
// multiplies its paths: one walk reaches at most kTypeEntryBudget entries,
// and the imports and the checks name each type that holds more paths.
#pragma once

#include <cstdint>
#include <set>
#include <unordered_map>
#include <string>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

// Real types nest a few levels.
inline constexpr size_t kTypeNestingBound = 32;

// Real types hold at most a few hundred paths.
inline constexpr size_t kTypeEntryBudget = 100000;

// The types a walk is inside of, and the entries (members along a path) it
// has reached.
struct TypePath : std::set<std::string> {
    using std::set<std::string>::set;
    size_t entries = 0;
};

// Counts one entry of the walk: false once it has reached kTypeEntryBudget.
inline bool TakeTypeEntry(TypePath& onPath) { return ++onPath.entries <= kTypeEntryBudget; }

// Counts the member whose type this is as an entry, and enters the type into
// `onPath`: false, and nothing entered, for a member without a type, for a
// type already on it (one that contains itself), for a path that holds the
// bound already and once the walk has spent its entries.
inline bool EnterTypePath(TypePath& onPath, const URI_Ref& type) {
    return TakeTypeEntry(onPath) && type.IsSet() && onPath.size() < kTypeNestingBound &&
           onPath.insert(type.sUri).second;
}

// The words that name where a walk stopped: its entries spent, or the bound
// of nesting reached (the texts the imports and the checks name types by).
CString TypeBudgetText(size_t budget = kTypeEntryBudget);
CString TypeBoundText();
// Why EnterTypePath refused `type` on `onPath`: the budget, the bound, or a
// circle ("类型嵌套形成闭环：" and the type's name); empty for a member
// without a type.
CString TypePathStopText(CKiln_Main& app, const TypePath& onPath, const URI_Ref& type);

// The steps the walks of a tree filled from its top share for each resource
// of the document: a real model lists a few dozen members of its types for
// each resource (a node and its type's data), so its whole tree opens in
// full, while a file of few, widely nested types opens steps in proportion
// to its size, not kTypeEntryBudget for each of its types.
inline constexpr size_t kTreeStepsPerResource = 32;

// Walks of types taken one step at a time, as a tree opens item by item.
// Each step is an item of a walk and names the step above it, so the types
// along a step's path are those of one walk through EnterTypePath: at most
// kTypeNestingBound types along a path. The walks of one generation (a tree
// filled from its top, and what is opened below it) share one budget, at
// least kTypeEntryBudget steps, so that a file of many nested types opens at
// most that many in all, not that many for each of its types. Steps are
// numbered from 1 within a generation; Clear begins a new one with its
// budget, after which the steps of earlier generations are no steps.
class TypeWalkSteps {
public:
    void Clear(size_t budget = kTypeEntryBudget);
    int Generation() const { return m_generation; }
    // The step `id` of generation `generation`, or 0 when it is none.
    size_t Valid(int id, int generation) const;
    // The first step of a new walk.
    size_t Begin();
    // A step below `from`, taking one entry of the budget: 0 once the
    // generation has spent it.
    size_t Take(size_t from);
    // Enters `type` at the step (EnterTypePath along the step's path): the
    // words that name why it is not entered, empty when it is.
    CString Enter(CKiln_Main& app, size_t step, const URI_Ref& type);
    // Whether the generation has spent its budget.
    bool Spent() const { return m_entries >= m_budget; }
    // The words that name the spent budget.
    CString SpentText() const { return TypeBudgetText(m_budget); }
    // Whether the generation has said where it stopped at its budget
    // already; the first call says false and marks it said.
    bool SaidSpent();

private:
    struct Step {
        uint32_t above;  // 0 at the first step of a walk
        uint32_t type;   // the type entered at this step (1 + its place in m_types), 0 for none
    };
    TypePath PathOf(size_t step) const;
    std::vector<Step> m_steps{Step{0, 0}};  // step 0 stands for none
    size_t m_entries = 0;
    size_t m_budget = kTypeEntryBudget;
    bool m_saidSpent = false;
    std::vector<std::string> m_types;  // the types entered, each once
    std::unordered_map<std::string, uint32_t> m_typeIds;
    int m_generation = 1;
};

// Whether a dotted path ("Ind1.stVal.b.b") has more parts than a walk of
// types reaches: no member lies at its end.
bool PathPassesBound(const CString& path);

// A type the walks cannot take whole, and the words that name it.
struct TypeNestingFault {
    URI_Ref type;
    CString text;
};

// Of the LN, DO and DA types given, each that contains itself (a DO type
// through its SDOs, a DA type through its BDAs, or through the other kind),
// each outermost one that nests more than kTypeNestingBound types deep, and
// each most derived LN type whose chain of bases holds more types than
// that, and each outermost one that holds more than kTypeEntryBudget paths
// (counted per type from the inside out, never enumerated), in the order
// given. Reads the whole nesting once, without recursion.
std::vector<TypeNestingFault> TypeNestingFaults(CKiln_Main& app, const std::vector<URI_Ref>& types);

}  // namespace kiln::core
