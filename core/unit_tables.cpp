// The rows of the SI-unit and multiplier tables, in ascending code order.
#include "core/unit_tables.h"

#include <utility>

namespace kiln::core {
namespace {

struct Row {
    int code;
    const char* symbol;
};

// Several symbols differ from the usual ones of IEC 61850-7-3 ("a", "k",
// "Lm", "W/m k"); these are the ones the model's enumerations hold.
constexpr Row kSiUnits[] = {
    {1, "none"},     {2, "m"},      {3, "kg"},       {4, "s"},      {5, "a"},       {6, "k"},
    {7, "mol"},      {8, "cd"},     {9, "deg"},      {10, "rad"},   {11, "sr"},     {21, "Gy"},
    {22, "q"},       {23, "℃"},     {24, "Sv"},      {25, "F"},     {26, "C"},      {27, "S"},
    {28, "H"},       {29, "V"},     {30, "ohm"},     {31, "J"},     {32, "N"},      {33, "Hz"},
    {34, "lx"},      {35, "Lm"},    {36, "Wb"},      {37, "T"},     {38, "W"},      {39, "Pa"},
    {41, "m^2"},     {42, "m^3"},   {43, "m/s"},     {44, "m/s^2"}, {45, "m^3/s"},  {46, "m/m^3"},
    {47, "M"},       {48, "kg/m^3"}, {49, "m^2/s"},  {50, "W/m k"}, {51, "J/K"},    {52, "ppm"},
    {53, "1/s"},     {54, "rad/s"}, {61, "VA"},      {62, "W"},     {63, "VAr"},    {64, "theta"},
    {65, "cos(theta)"}, {66, "Vs"}, {67, "V^2"},     {68, "As"},    {69, "A^2"},    {70, "A^2t"},
    {71, "VAh"},     {72, "Wh"},    {73, "VArh"},    {74, "V/Hz"},
};

// "μ" is U+03BC GREEK SMALL LETTER MU, not the micro sign.
constexpr Row kMultipliers[] = {
    {-24, "y"}, {-21, "z"}, {-18, "a"}, {-15, "f"}, {-12, "p"}, {-9, "n"}, {-6, "μ"},
    {-3, "m"},  {-2, "c"},  {-1, "d"},  {0, "None"}, {1, "da"}, {2, "h"},  {3, "k"},
    {6, "M"},   {9, "G"},   {12, "T"},  {15, "P"},  {18, "E"},  {21, "Z"}, {24, "Y"},
};

template <size_t N>
UnitTable Build(const Row (&rows)[N]) {
    UnitTable table;
    for (const Row& r : rows) table.emplace(CString(std::to_string(r.code).c_str()), CString(r.symbol));
    return table;
}

template <size_t N>
CString CodeOf(const Row (&rows)[N], const CString& symbol) {
    for (const Row& r : rows)  // ascending codes: the first match is the lowest
        if (symbol == r.symbol) return CString(std::to_string(r.code).c_str());
    return CString();
}

}  // namespace

UnitTable SiUnitTable() { return Build(kSiUnits); }
UnitTable MultiplierTable() { return Build(kMultipliers); }
CString SiUnitCode(const CString& symbol) { return CodeOf(kSiUnits, symbol); }
CString MultiplierCode(const CString& symbol) { return CodeOf(kMultipliers, symbol); }

}  // namespace kiln::core
