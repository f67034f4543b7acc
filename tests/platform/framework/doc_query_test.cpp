// Sorted list queries of the document store.
#include "tests/platform/framework/doc_fixture.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <numeric>
#include <random>

using Strs = std::vector<std::string>;

TEST_F(DocTest, OrderPolicySortsByNumberStablyInCreationOrder) {
    URI_Ref lnt = Make(kPkgDomain, "sec:LNodeType", "T");
    // Created in this order; linked in another, so creation order and link order differ.
    std::vector<std::pair<const char*, const char*>> rows = {
        {"ten", "10"}, {"two", "2"}, {"one", "1"}, {"blank", ""}, {"text", "abc"},
        {"minus", "-1"}, {"three", " 3x"}, {"twoB", "2"},
        // beyond the range of a 64-bit number: the largest value, not a wrapped or cut one
        {"huge", "9300000000000000000"}, {"e18", "1000000000000000000"}};
    std::vector<URI_Ref> made;
    for (auto& [name, ord] : rows) made.push_back(Make(kPkgDomain, "sec:DO", name, ord));
    for (size_t k = made.size(); k-- > 0;) ASSERT_TRUE(svc.DocMtd_add_Association(made[k], "sec:DO.LNodeType", lnt));

    std::vector<URI_Ref> out{lnt, lnt, lnt};  // the list is replaced, not appended to
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(lnt, "sec:LNodeType.DOs", out, "e301:OrdNaming.ord", SortPolicy_ByOrd));
    EXPECT_EQ(Names(out), (Strs{"minus", "blank", "text", "one", "two", "twoB", "three", "ten", "e18", "huge"}));

    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(lnt, "sec:LNodeType.DOs", out, "", SortPolicy_None));
    EXPECT_EQ(Names(out).front(), "e18") << "policy 0 keeps link order";
}

TEST_F(DocTest, NamePolicyComparesGbkBytes) {
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    // UTF-8 order would be 张 < 李 < 阿; GBK (pinyin) order is 阿 < 李 < 张, after ASCII.
    for (const char* n : {"张三", "b", "李四", "阿", "B", "李四"}) Child(pkg, "sec:DOType", "sec:DOType.TypePackage", n);
    std::vector<URI_Ref> out;
    ASSERT_TRUE(svc.DocMtd_get_Association_BUris(pkg, "sec:TypePackage.DOTypes", out, "cim:Naming.name", SortPolicy_ByName));
    EXPECT_EQ(Names(out), (Strs{"B", "b", "阿", "李四", "李四", "张三"}));
    // Equal names keep creation order.
    std::vector<URI_Ref> all;
    svc.DocMtd_get_Association_BUris(pkg, "sec:TypePackage.DOTypes", all, "", SortPolicy_None);
    EXPECT_EQ(out[3], all[2]);
    EXPECT_EQ(out[4], all[5]);
}

TEST_F(DocTest, PathQueriesSortOnceWithoutDuplicates) {
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    URI_Ref t1 = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "T1", "1");
    URI_Ref t2 = Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "T2", "2");
    Child(t1, "sec:DO", "sec:DO.LNodeType", "d", "1");
    Child(t1, "sec:DO", "sec:DO.LNodeType", "a", "2");
    Child(t2, "sec:DO", "sec:DO.LNodeType", "c", "1");
    Child(t2, "sec:DO", "sec:DO.LNodeType", "b", "2");

    std::vector<URI_Ref> out;
    URI_Ref last;
    ASSERT_EQ(svc.DocMtd_get_descendent_BUris(pkg, "sec:TypePackage.LNodeTypes/sec:LNodeType.DOs", out, last,
                                              "cim:Naming.name", SortPolicy_ByName), 1);
    EXPECT_EQ(Names(out), (Strs{"a", "b", "c", "d"})) << "one sort over the whole result";
    ASSERT_NE(svc.DocMtd_get_descendent_BUris(pkg, "sec:TypePackage.LNodeTypes/sec:LNodeType.DOs", out, last,
                                              "e301:OrdNaming.ord", SortPolicy_ByOrd), 0);
    EXPECT_EQ(Names(out), (Strs{"d", "c", "a", "b"}));

    // Three logical nodes, two of one type: the types come once each.
    URI_Ref ld = Make(kIcdDomain, "sec:LDevice", "LD");
    for (URI_Ref t : {t1, t1, t2}) {
        URI_Ref ln = Child(ld, "sec:LNode", "sec:LNode.LDevice", "LN");
        ASSERT_TRUE(svc.DocMtd_add_Association(ln, "sec:LNode.LNodeType", t));
    }
    ASSERT_EQ(svc.DocMtd_get_descendent_BUris(ld, "sec:LDevice.LNodes/sec:LNode.LNodeType", out, last, "", SortPolicy_ByName), 1);
    EXPECT_EQ(Names(out), (Strs{"T1", "T2"}));
    int count = 0;
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, "sec:LDevice.LNodes/sec:LNode.LNodeType", -1, "", URI_Ref(), &count), t1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(svc.DocMtd_getFirstValue_ofAsso(ld, "sec:LDevice.LNodes/sec:LNode.LNodeType", "cim:Naming.name"), "T1");

    // An empty result is success; a path through an unknown role walks empty.
    out.push_back(ld);
    ASSERT_EQ(svc.DocMtd_get_descendent_BUris(pkg, "sec:TypePackage.DOTypes/sec:DOType.Contains_DAs", out, last, "", SortPolicy_ByOrd), 1);
    EXPECT_TRUE(out.empty());
    out.push_back(ld);
    ASSERT_EQ(svc.DocMtd_get_descendent_BUris(ld, "sec:LDevice.LNodes/sec:Nope.X", out, last, "", SortPolicy_ByOrd), 1);
    EXPECT_TRUE(out.empty());
    // A role of another class (as "ICD:Add DOI" asks an LNode for LN-type DOs) walks empty too.
    out.push_back(ld);
    EXPECT_TRUE(svc.DocMtd_get_Association_BUris(ld, "sec:LNodeType.DOs", out, "", SortPolicy_ByOrd));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(ld, "sec:Nope.X").IsEmpty());
    EXPECT_EQ(svc.DocMtd_getFirstValue_ofAsso(ld, "sec:Nope.X", "cim:Naming.name"), "");
}

TEST_F(DocTest, ClassQueryAndSequenceNumbers) {
    std::vector<URI_Ref> out;
    ASSERT_TRUE(svc.DocMtd_get_Uris_byClassName("sec:ICD", out, "", SortPolicy_ByName));
    EXPECT_TRUE(out.empty());
    Make(kIcdDomain, "sec:ICD", "Z");
    Make(kIcdDomain, "sec:ICD", "A");
    URI_Ref gone = Make(kIcdDomain, "sec:ICD", "M");
    Make(kIcdDomain, "sec:IED", "not an ICD");
    svc.DocMtd_delete_a_Rsc(gone);
    ASSERT_TRUE(svc.DocMtd_get_Uris_byClassName("sec:ICD", out, "", SortPolicy_ByName));
    EXPECT_EQ(Names(out), (Strs{"A", "Z"}));
    EXPECT_TRUE(svc.DocMtd_get_Uris_byClassName("sec:Foo", out, "", SortPolicy_ByName));
    EXPECT_TRUE(out.empty());

    URI_Ref dot = Make(kPkgDomain, "sec:DOType", "T");
    int n = -1;
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(dot, "sec:DOType.Contains_DAs", &n), "1");
    EXPECT_EQ(n, 0);
    for (int k = 0; k < 3; ++k) Child(dot, "sec:DA", "sec:DA.MemberOf_DOType", "da");
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(dot, "sec:DOType.Contains_DAs", &n), "4");
    EXPECT_EQ(n, 3);
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(URI_Ref(), "sec:DOType.Contains_DAs", &n), "");
    EXPECT_EQ(n, 0);

    std::vector<URI_Ref> list;
    svc.DocMtd_get_Association_BUris(dot, "sec:DOType.Contains_DAs", list, "", SortPolicy_None);
    EXPECT_EQ(Search_URISequence(list, URI_Ref(list[2].sUri, "other class")), 2);
    EXPECT_EQ(Search_URISequence(list, dot), -1);
}

// Long member lists take a counting placement when their order numbers span
// little more than their count; the result must equal the comparison sort
// (number, then creation order) whatever the numbers are.
TEST_F(DocTest, LongListsByOrderMatchTheComparisonSort) {
    struct Case {
        const char* what;
        std::vector<std::string> ords;  // in creation order
    };
    std::vector<Case> cases;
    std::vector<std::string> dense, dups, mixed, sparse, extremes;
    for (int k = 1; k <= 120; ++k) dense.push_back(std::to_string(k));
    for (int k = 0; k < 120; ++k) dups.push_back(std::to_string(k % 37 + 1));  // each number up to 4 times
    for (int k = 0; k < 120; ++k) {
        // blank and text count as 0, among negatives and dense numbers
        const char* odd[] = {"", "abc", "-2", " 7x", "+5", "-0"};
        mixed.push_back(k % 9 == 0 ? odd[(k / 9) % 6] : std::to_string(k - 60));
    }
    for (int k = 0; k < 120; ++k) sparse.push_back(std::to_string(k * 1000));
    extremes = dense;
    extremes[10] = "9300000000000000000";   // read as the largest number
    extremes[20] = "-9300000000000000000";  // and the smallest: their span does not fit a signed number
    cases = {{"dense, linked shuffled", dense},
             {"duplicates", dups},
             {"blank, text, negative", mixed},
             {"sparse", sparse},
             {"extreme numbers", extremes}};

    std::mt19937 rng(7);
    int caseNo = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        URI_Ref lnt = Make(kPkgDomain, "sec:LNodeType", "T");
        std::vector<URI_Ref> made;
        std::vector<std::pair<long long, size_t>> expected;  // (number, creation position)
        for (size_t k = 0; k < c.ords.size(); ++k) {
            made.push_back(Make(kPkgDomain, "sec:DO", CString(std::to_string(caseNo) + "_" + std::to_string(k)),
                                CString(c.ords[k])));
            const std::string& o = c.ords[k];
            long long v = o == "9300000000000000000"    ? LLONG_MAX
                          : o == "-9300000000000000000" ? -LLONG_MAX
                                                        : std::strtoll(o.c_str(), nullptr, 10);
            expected.emplace_back(v, k);
        }
        // Linked in a shuffled order, so link order, creation order and number order all differ.
        std::vector<size_t> linkOrder(made.size());
        std::iota(linkOrder.begin(), linkOrder.end(), size_t{0});
        std::shuffle(linkOrder.begin(), linkOrder.end(), rng);
        for (size_t k : linkOrder) ASSERT_TRUE(svc.DocMtd_add_Association(made[k], "sec:DO.LNodeType", lnt));

        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<URI_Ref> out;
        ASSERT_TRUE(svc.DocMtd_get_Association_BUris(lnt, "sec:LNodeType.DOs", out, "e301:OrdNaming.ord",
                                                     SortPolicy_ByOrd));
        ASSERT_EQ(out.size(), made.size());
        for (size_t k = 0; k < out.size(); ++k) ASSERT_EQ(out[k], made[expected[k].second]) << "position " << k;
        ++caseNo;
    }
}

// A handle remembers where the document found its resource; that memory must
// never make a stale handle live again or point it at another resource.
TEST_F(DocTest, HandlesStayCorrectAfterDeletionReuseAndInAnotherDocument) {
    URI_Ref a = Make(kPkgDomain, "sec:DO", "a");
    URI_Ref b = Make(kPkgDomain, "sec:DO", "b");
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(a, "cim:Naming.name"), "a");

    // Deleted, then another resource made: the old handle stays dead.
    ASSERT_TRUE(svc.DocMtd_delete_a_Rsc(a));
    URI_Ref c = Make(kPkgDomain, "sec:DO", "c");
    EXPECT_NE(c, a);
    bool found = true;
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(a, "cim:Naming.name", &found), "");
    EXPECT_FALSE(found);
    EXPECT_TRUE(svc.DocMtd_TestBy_URIRef(CString(a.sUri)).IsEmpty());
    EXPECT_FALSE(svc.DocMtd_Modify_attribute_value(a, "cim:Naming.name", "again"));
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(c, "cim:Naming.name"), "c");

    // The domain read back from its text: same identifiers, new places; the
    // handles taken before find the new resources.
    // An empty value written on purpose is held, one never written is not,
    // and the text keeps the difference.
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(b, "cim:Naming.description", ""));
    EXPECT_TRUE(svc.DocMtd_holdsValue_ofAttr(b, "cim:Naming.description"));
    EXPECT_FALSE(svc.DocMtd_holdsValue_ofAttr(c, "cim:Naming.description"));
    CString text;
    ASSERT_TRUE(svc.DocMtd_DEnv_CimDomainToStr(kPkgDomain, text));
    ASSERT_TRUE(svc.DocMtd_DEnvDelete_a_Domain(kPkgDomain));
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(b, "cim:Naming.name", &found), "");
    EXPECT_FALSE(found);
    EXPECT_FALSE(svc.DocMtd_holdsValue_ofAttr(b, "cim:Naming.description"));
    ASSERT_TRUE(svc.DocMtd_DEnv_StrToCimDomain(text, kPkgDomain)) << svc.LastDocError();
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(b, "cim:Naming.name"), "b");
    EXPECT_TRUE(svc.DocMtd_holdsValue_ofAttr(b, "cim:Naming.description"));
    EXPECT_FALSE(svc.DocMtd_holdsValue_ofAttr(b, "sec:DO.transient"));
    ASSERT_TRUE(svc.DocMtd_Modify_attribute_value(c, "cim:Naming.name", "c2"));
    EXPECT_EQ(svc.DocMtd_getValue_ofAttr(svc.DocMtd_TestBy_URIRef(CString(c.sUri)), "cim:Naming.name"), "c2");
    EXPECT_FALSE(svc.DocMtd_getValue_ofAttr(a, "cim:Naming.name", &found).GetLength() > 0 || found);

    // Handles of this document in another one whose places hold other
    // resources: each reaches the resource of its own identifier there, or none.
    CDocServices other;
    URI_Ref type;
    ASSERT_TRUE(other.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
    ASSERT_TRUE(other.Proc_Create_a_Domain_byType(kPkgDomain, type, "标准", DomainTypeDfn()));
    URI_Ref shift;
    ASSERT_TRUE(other.DocMtd_create_a_Rsc(kPkgDomain, "sec:LNodeType", shift, "shift"));
    std::vector<URI_Ref> mine;
    for (const char* n : {"x", "y", "z"}) mine.push_back(Make(kPkgDomain, "sec:DO", n));
    // Enough resources there that the places remembered here all hold one.
    for (int k = 0; k < 60; ++k) {
        URI_Ref r;
        ASSERT_TRUE(other.DocMtd_create_a_Rsc(kPkgDomain, "sec:DO", r, CString("o" + std::to_string(k))));
    }
    for (const URI_Ref& h : mine) {
        URI_Ref there = other.DocMtd_TestBy_URIRef(CString(h.sUri));
        if (there.IsEmpty()) {
            EXPECT_FALSE(other.m_Doc.Exists(h));
            continue;
        }
        EXPECT_EQ(other.DocMtd_getValue_ofAttr(h, "cim:Naming.name"), other.DocMtd_getValue_ofAttr(there, "cim:Naming.name"))
            << h.sUri;
        EXPECT_NE(other.DocMtd_getValue_ofAttr(h, "cim:Naming.name"), svc.DocMtd_getValue_ofAttr(h, "cim:Naming.name"));
    }
}

// The first (or n-th) target of a path stops at its answer; it must be the
// member the whole walk lists at that place, whatever is shared or empty on
// the way, and counting must count each target once.
TEST_F(DocTest, FirstTargetOfAPathIsTheWalksMemberAtThatPlace) {
    URI_Ref pkg = Make(kPkgDomain, "sec:TypePackage", "P");
    auto type = [&](const char* name) { return Child(pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", name); };
    URI_Ref tE = type("E"), tA = type("A"), tB = type("B"), tC = type("C");
    URI_Ref b1 = Child(tB, "sec:DO", "sec:DO.LNodeType", "b1");
    URI_Ref a1 = Child(tA, "sec:DO", "sec:DO.LNodeType", "a1");
    URI_Ref a2 = Child(tA, "sec:DO", "sec:DO.LNodeType", "a2");
    ASSERT_TRUE(svc.DocMtd_add_Association(a2, "sec:DO.LNodeType", tB));  // shared by two types
    Child(tC, "sec:DO", "sec:DO.LNodeType", "c1");
    // Types reached in another order than made; one node has none, one two.
    URI_Ref ld = Make(kIcdDomain, "sec:LDevice", "LD");
    std::vector<std::vector<URI_Ref>> typesOf = {{tE}, {tB}, {}, {tA, tC}, {tB}, {tC}};
    for (const auto& types : typesOf) {
        URI_Ref ln = Child(ld, "sec:LNode", "sec:LNode.LDevice", "LN");
        for (const URI_Ref& t : types) ASSERT_TRUE(svc.DocMtd_add_Association(ln, "sec:LNode.LNodeType", t));
    }
    const CString path = "sec:LDevice.LNodes/sec:LNode.LNodeType/sec:LNodeType.DOs";
    std::vector<URI_Ref> all;
    URI_Ref last;
    ASSERT_EQ(svc.DocMtd_get_descendent_BUris(ld, path, all, last, "", SortPolicy_None), 1);
    ASSERT_EQ(Names(all), (Strs{"b1", "a2", "a1", "c1"}));

    for (size_t k = 0; k <= all.size(); ++k) {
        const URI_Ref want = k < all.size() ? all[k] : URI_Ref();
        EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, path, static_cast<int>(k)), want) << "index " << k;
        int count = -1;
        EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, path, static_cast<int>(k), "", URI_Ref(), &count), want);
        EXPECT_EQ(count, 4);
    }
    // Passing one member moves the later ones up.
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, path, 0, "", b1), a2);
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, path, 1, "", a2), a1);
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, path, 2, "", a2).sUri, all[3].sUri);
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(ld, path, 3, "", a2).IsEmpty());
    EXPECT_EQ(svc.DocMtd_getFirstUri_ofAsso(ld, path, -1, "sec:DO"), b1);
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(ld, path, 0, "sec:DA").IsEmpty());
    EXPECT_TRUE(svc.DocMtd_getFirstUri_ofAsso(ld, "sec:LDevice.LNodes/sec:Nope.X/sec:LNodeType.DOs").IsEmpty());

    // Counts: a target reached twice counts once; a single list is its size.
    int n = -1;
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(ld, path, &n), "5");
    EXPECT_EQ(n, 4);
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(ld, "sec:LDevice.LNodes/sec:LNode.LNodeType", &n), "5");
    EXPECT_EQ(n, 4) << "E, B, A, C";
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(a2, "sec:DO.LNodeType/sec:LNodeType.DOs", &n), "4");
    EXPECT_EQ(n, 3) << "a1, a2 and b1";
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(tB, "sec:LNodeType.TypePackage/sec:TypePackage.LNodeTypes", &n), "5");
    EXPECT_EQ(n, 4);
    EXPECT_EQ(svc.DocMtd_GetSeqNumber_byAsso(ld, "sec:LDevice.LNodes/sec:Nope.X/sec:LNodeType.DOs", &n), "1");
    EXPECT_EQ(n, 0);
}
