// operations_doc_test.cpp - the operation reference: docs/operations.md is what the table of
// director/node_info.cpp writes now, and names every operation exactly once, in code order.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "director/node_info.h"

namespace {

std::string generated() {
    char* text = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&text, &size);
    EXPECT_TRUE(writeOperationsDoc(f));
    std::fclose(f);
    std::string s(text, size);
    std::free(text);
    return s;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

} // namespace

TEST(OperationsDoc, ListsEveryOperationOnceAndIsUpToDate) {
    std::ifstream in(std::string(QZ_SOURCE_DIR) + "/docs/operations.md", std::ios::binary);
    ASSERT_TRUE(in) << "docs/operations.md is missing: qz001-tool operations --out docs/operations.md";
    std::stringstream doc;
    doc << in.rdbuf();
    EXPECT_EQ(doc.str(), generated())
        << "docs/operations.md is out of date: qz001-tool operations --out docs/operations.md";

    size_t last = 0;
    int headings = count(doc.str(), "\n## ");
    EXPECT_EQ(headings, kNodeOpCount - 1);
    for (int op = 1; op < kNodeOpCount; ++op) {
        const char* full = enumName(kNodeOpNames, op);
        ASSERT_NE(full, nullptr) << op;
        char text[96];
        std::snprintf(text, sizeof text, "\n## %d %s\n", op, full + 3); // kOpCircle: "## 16 Circle"
        const std::string heading = text;
        EXPECT_EQ(count(doc.str(), heading), 1) << heading;
        const size_t at = doc.str().find(heading);
        EXPECT_GT(at, last) << heading << " out of code order";
        last = at;
    }
    // Each parameter an operation reads has its meaning; none it ignores is described.
    for (int op = 1; op < kNodeOpCount; ++op) {
        const NodeOpInfo& info = nodeOpInfo(op);
        EXPECT_EQ(info.op, op);
        EXPECT_GT(std::string(info.computes).size(), 10u) << op;
        for (const NodeParamInfo& p : info.params)
            EXPECT_EQ(p.kind == kParamUnused, p.meaning == nullptr) << op;
    }
    EXPECT_EQ(nodeOpInfo(200).op, kOpEmpty);
}
