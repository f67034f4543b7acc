// Removing links from long lists: whatever the order of removals, a list
// keeps the order of the links that remain, counts them right, and saves,
// clears and deletes without a trace of the removed ones.
#include <algorithm>
#include <filesystem>

#include "tests/platform/framework/doc_fixture.h"

namespace {

class DocRemovalTest : public DocTest {
protected:
    // A logical device with n nodes N0..N(n-1), linked in that order.
    void MakeDevice(int n) {
        ld = Make(kIcdDomain, "sec:LDevice", "LD");
        for (int k = 0; k < n; ++k) {
            nodes.push_back(Child(ld, "sec:LNode", "sec:LNode.LDevice", "N" + std::to_string(k)));
            expected.push_back("N" + std::to_string(k));
        }
    }
    void Remove(int k) {
        EXPECT_TRUE(doc.DeleteResource(nodes[static_cast<size_t>(k)]));
        expected.erase(std::find(expected.begin(), expected.end(), "N" + std::to_string(k)));
    }
    // The list in link order, as the document keeps it.
    std::vector<std::string> Linked(const CBase_CimDoc& d) {
        std::vector<URI_Ref> out;
        EXPECT_TRUE(d.Targets(ld, "sec:LDevice.LNodes", out));
        std::vector<std::string> names;
        for (const URI_Ref& r : out) {
            CString name;
            d.GetAttribute(r, "cim:Naming.name", name);
            names.push_back(name.str());
        }
        return names;
    }

    URI_Ref ld;
    std::vector<URI_Ref> nodes;
    std::vector<std::string> expected;
};

TEST_F(DocRemovalTest, TheRemainingLinksKeepTheirOrderWhateverIsRemoved) {
    MakeDevice(200);
    // From the front, from the back, from the middle, read between at
    // varying intervals (a read squeezes the list).
    int step = 0;
    auto check = [&](int every) {
        if (++step % every) return;
        ASSERT_EQ(Linked(doc), expected) << "after " << step << " removals";
        EXPECT_EQ(doc.CountTargets(ld, "sec:LDevice.LNodes"), static_cast<int>(expected.size()));
        const CString first = expected.empty() ? CString() : CString(expected.front());
        CString name;
        doc.GetAttribute(doc.FirstTarget(ld, "sec:LDevice.LNodes"), "cim:Naming.name", name);
        EXPECT_EQ(name, first);
    };
    for (int k = 0; k < 60; ++k) Remove(k), check(7);
    for (int k = 199; k >= 150; --k) Remove(k), check(5);
    for (int k = 61; k < 150; k += 3) Remove(k), check(1);
    for (int k = 100; k < 110; ++k) {
        if (k % 3 != 1) Remove(k);
    }
    check(1);
    // A new link goes to the end; an unlinked one is gone from the list.
    URI_Ref added = Child(ld, "sec:LNode", "sec:LNode.LDevice", "NEW");
    expected.push_back("NEW");
    EXPECT_TRUE(doc.DelLink(nodes[60], "sec:LNode.LDevice", ld));
    expected.erase(std::find(expected.begin(), expected.end(), "N60"));
    check(1);
    EXPECT_TRUE(doc.FirstTarget(nodes[60], "sec:LNode.LDevice").IsEmpty());
    EXPECT_EQ(doc.FirstTarget(added, "sec:LNode.LDevice"), ld);
}

TEST_F(DocRemovalTest, AListWithRemovedLinksSavesClearsAndDeletesCleanly) {
    MakeDevice(100);
    for (int k = 0; k < 40; ++k) Remove(k);   // holes at the front,
    for (int k = 50; k < 60; ++k) Remove(k);  // in the middle
    Remove(99);                               // and a removal at the end

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kiln_removal_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(doc.Save(folder.string().c_str())) << doc.LastError();
    CBase_CimDoc reopened;
    ASSERT_TRUE(reopened.Open(folder.string().c_str())) << reopened.LastError();
    EXPECT_EQ(Linked(reopened), expected);
    std::filesystem::remove_all(folder);

    // Deleting the owner with removed places in its list unlinks every node left.
    for (int k = 60; k < 70; ++k) Remove(k);
    EXPECT_TRUE(doc.DeleteResource(ld));
    for (int k = 70; k < 99; ++k) EXPECT_TRUE(doc.FirstTarget(nodes[k], "sec:LNode.LDevice").IsEmpty()) << k;
}

TEST_F(DocRemovalTest, ClearingAListWithRemovedPlacesLeavesItEmptyForNewLinks) {
    MakeDevice(100);
    for (int k = 0; k < 30; ++k) Remove(k);
    EXPECT_TRUE(doc.ClearLinks(ld, "sec:LDevice.LNodes"));
    EXPECT_TRUE(Linked(doc).empty());
    for (int k = 30; k < 100; ++k) EXPECT_TRUE(doc.FirstTarget(nodes[k], "sec:LNode.LDevice").IsEmpty()) << k;
    EXPECT_TRUE(doc.AddLink(nodes[45], "sec:LNode.LDevice", ld));
    EXPECT_EQ(Linked(doc), std::vector<std::string>{"N45"});
    // The reverse end of a type: nodes of one type removed from the front,
    // and links added and removed between.
    URI_Ref type = Make(kPkgDomain, "sec:LNodeType", "T");
    for (int k = 30; k < 100; ++k) EXPECT_TRUE(doc.AddLink(nodes[k], "sec:LNode.LNodeType", type));
    for (int k = 30; k < 80; ++k) EXPECT_TRUE(doc.DeleteResource(nodes[k]));
    EXPECT_EQ(doc.CountTargets(type, "sec:LNodeType.LNode"), 20);
    EXPECT_TRUE(doc.UpdateLink(nodes[97], "sec:LNode.LNodeType", URI_Ref()));
    EXPECT_TRUE(doc.AddLink(nodes[97], "sec:LNode.LNodeType", type));
    EXPECT_TRUE(doc.DelLink(nodes[80], "sec:LNode.LNodeType", type));
    EXPECT_TRUE(doc.DelLink(nodes[97], "sec:LNode.LNodeType", type));
    EXPECT_FALSE(doc.DelLink(nodes[97], "sec:LNode.LNodeType", type));
    std::vector<URI_Ref> left;
    EXPECT_TRUE(doc.Targets(type, "sec:LNodeType.LNode", left));
    ASSERT_EQ(left.size(), 18u);
    EXPECT_EQ(left.front(), nodes[81]);
    EXPECT_EQ(left.back(), nodes[99]);
}

}  // namespace
