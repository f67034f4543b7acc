// Bulk reads of a member list: the same members, order and texts as a sorted
// query followed by one attribute read per member.
#include "tests/platform/framework/doc_fixture.h"

#include <algorithm>
#include <numeric>
#include <random>
#include <string_view>

namespace {

// What the bulk read must equal: the sorted query, then each member's reads.
std::vector<std::string> ReadOneByOne(CDocServices& svc, const URI_Ref& owner, const char* role,
                                      const std::vector<CString>& values) {
    std::vector<URI_Ref> members;
    EXPECT_TRUE(svc.DocMtd_get_Association_BUris(owner, role, members, "e301:OrdNaming.ord", SortPolicy_ByOrd));
    std::vector<std::string> out;
    for (const URI_Ref& m : members)
        for (const CString& v : values) {
            CString text;
            EXPECT_TRUE(svc.DocMtd_get_attribute_value(m, v, text));
            out.push_back(text.str());
        }
    return out;
}

std::vector<std::string> Copy(const std::vector<std::string_view>& views) {
    return std::vector<std::string>(views.begin(), views.end());
}

}  // namespace

// Short and long lists (the sorted query places long dense ones by counting),
// numbers repeated, blank, text, negative and out of range, linked in a
// shuffled order; texts set, unset, and of a role the members' class lacks.
TEST_F(DocTest, MemberValuesEqualTheSortedQueryReadOneByOne) {
    const std::vector<CString> values{"cim:Naming.name", "cim:Naming.description", "sec:DAI.valueStr",
                                      "e301:OrdNaming.ord"};
    std::mt19937 rng(11);
    const std::vector<std::vector<std::string>> lists = {
        {"10", "2", "1", "", "abc", "-1", " 3x", "2", "9300000000000000000", "-0"},
        [] {
            std::vector<std::string> v;
            for (int k = 0; k < 150; ++k) v.push_back(std::to_string(k % 61 + 1));  // dense, with repeats
            v[40] = "";
            v[41] = "x";
            return v;
        }()};
    int n = 0;
    for (const auto& ords : lists) {
        SCOPED_TRACE(ords.size());
        URI_Ref lnt = Make(kPkgDomain, "sec:LNodeType", "T");
        std::vector<URI_Ref> made;
        for (size_t k = 0; k < ords.size(); ++k) {
            made.push_back(Make(kPkgDomain, "sec:DO", CString("d" + std::to_string(n++)), CString(ords[k])));
            if (k % 3 == 0) {
                ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(made.back(), "cim:Naming.description",
                                                              CString("说明 " + std::to_string(k))));
            }
        }
        std::vector<size_t> order(made.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::shuffle(order.begin(), order.end(), rng);
        for (size_t k : order) ASSERT_TRUE(svc.DocMtd_add_Association(made[k], "sec:DO.LNodeType", lnt));

        std::vector<std::string_view> rows{"stale"};  // replaced, not appended to
        ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", values, rows));
        EXPECT_EQ(rows.size(), made.size() * values.size());
        EXPECT_EQ(Copy(rows), ReadOneByOne(svc, lnt, "sec:LNodeType.DOs", values));
    }
}

TEST_F(DocTest, MemberValuesOfNothingAndFailedQueries) {
    URI_Ref lnt = Make(kPkgDomain, "sec:LNodeType", "T");
    URI_Ref d = Child(lnt, "sec:DO", "sec:DO.LNodeType", "a", "1");
    const std::vector<CString> name{"cim:Naming.name"};
    std::vector<std::string_view> rows{"x"};

    // No members, an attribute role, a role of another class: an empty list.
    ASSERT_TRUE(doc.MemberValuesByOrd(d, "sec:DO.DefinedBy_DOType", name, rows));
    EXPECT_TRUE(rows.empty());
    rows = {"x"};
    ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "cim:Naming.name", name, rows));
    EXPECT_TRUE(rows.empty());
    ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:DOI.DAIs", name, rows));
    EXPECT_TRUE(rows.empty());
    ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", {}, rows));
    EXPECT_TRUE(rows.empty());

    // An empty or deleted start, and an injected query failure, fail.
    rows = {"x"};
    EXPECT_FALSE(doc.MemberValuesByOrd(URI_Ref(), "sec:LNodeType.DOs", name, rows));
    EXPECT_TRUE(rows.empty());
    doc.InjectFault("query");
    rows = {"x"};
    EXPECT_FALSE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", name, rows));
    EXPECT_TRUE(rows.empty());
    ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", name, rows));
    EXPECT_EQ(Copy(rows), std::vector<std::string>{"a"});

    // An association role marks the members with a target along it; a
    // deleted target marks no more.
    URI_Ref b = Child(lnt, "sec:DO", "sec:DO.LNodeType", "b", "2");
    URI_Ref t = Make(kPkgDomain, "sec:DOType", "DT");
    ASSERT_TRUE(svc.DocMtd_add_Association(d, "sec:DO.DefinedBy_DOType", t));
    const std::vector<CString> nameAndType{"cim:Naming.name", "sec:DO.DefinedBy_DOType"};
    ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", nameAndType, rows));
    EXPECT_EQ(Copy(rows), (std::vector<std::string>{"a", "1", "b", ""}));

    // Marks: whether a member holds a text (not an empty one) or a target
    // of the roles, whichever member it is; the values read stay as asked.
    const struct {
        std::vector<CString> marks;
        bool marked;
    } markRows[] = {{{"sec:DO.DefinedBy_DOType"}, true},
                    {{"cim:Naming.description"}, false},
                    {{"sec:DO.transient", "cim:Naming.description"}, true},
                    {{"sec:DO.SemanticDesc"}, false},
                    {{"no:Such.role"}, false}};
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(b, "sec:DO.transient", "true"));
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(d, "sec:DO.SemanticDesc", ""));
    for (const auto& m : markRows) {
        bool marked = !m.marked;
        ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", name, rows, &m.marks, &marked));
        EXPECT_EQ(marked, m.marked) << m.marks.front();
        EXPECT_EQ(Copy(rows), (std::vector<std::string>{"a", "b"}));
    }

    // One resource's texts.
    ASSERT_TRUE(doc.ValuesOf(b, {"sec:DO.transient", "cim:Naming.description", "cim:Naming.name"}, rows));
    EXPECT_EQ(Copy(rows), (std::vector<std::string>{"true", "", "b"}));
    EXPECT_FALSE(doc.ValuesOf(URI_Ref(), {"cim:Naming.name"}, rows));

    ASSERT_TRUE(svc.DocMtd_add_Association(b, "sec:DO.DefinedBy_DOType", t));
    ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(t));
    ASSERT_TRUE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", nameAndType, rows));
    EXPECT_EQ(Copy(rows), (std::vector<std::string>{"a", "", "b", ""}));
    ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(lnt));
    EXPECT_FALSE(doc.MemberValuesByOrd(lnt, "sec:LNodeType.DOs", name, rows));
}
