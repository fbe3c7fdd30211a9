#include "imageio/OutputNaming.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace tessoly {
namespace {

struct StripCase {
    const char* path;
    const char* expected;
};

TEST(OutputNamingTest, StripExtensionRemovesOnlyTheLastExtensionOfTheFileName) {
    const StripCase cases[] = {
        {"/img/a.jpg", "/img/a"},
        {"/img/a.tar.gz", "/img/a.tar"},
        {"/my.pics/photo", "/my.pics/photo"},
        {"photo", "photo"},
        {"/img/.hidden", "/img/"},
        {"/img/a.", "/img/a"},
        {"/img/dir.d/", "/img/dir.d/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripExtension(c.path), c.expected) << c.path;
}

struct BaseCase {
    const char* source;
    const char* folder;
    const char* expected;
};

TEST(OutputNamingTest, OutputBasePathIsNextToTheSourceOrInTheOutputFolder) {
    const BaseCase cases[] = {
        {"/img/a.jpg", "", "/img/a"},
        {"/x/b.png", "/out", "/out/b"},
        {"/x/b.png", "/out/", "/out/b"},
        {"/my.pics/photo", "", "/my.pics/photo"},
        {"/my.pics/photo", "/out", "/out/photo"},
        {"/x/c.tar.gz", "/o.d", "/o.d/c.tar"},
        {"/x/d.jpg", "/", "/d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutputBasePath(c.source, c.folder), c.expected) << c.source;
}

TEST(OutputNamingTest, PolicyDecidesOnlyWhenTheTargetExists) {
    test::ScratchDir dir;
    const std::string base = dir.file("a");
    for (auto policy :
         {ExistingFilePolicy::Skip, ExistingFilePolicy::Rename, ExistingFilePolicy::Overwrite}) {
        const PolicyDecision d = ApplyExistingFilePolicy(base, ".jpg", policy);
        EXPECT_FALSE(d.skip);
        EXPECT_EQ(d.targetPath, base + ".jpg");
    }
    test::WriteFileBytes(base + ".jpg", "old");
    const PolicyDecision skip = ApplyExistingFilePolicy(base, ".jpg", ExistingFilePolicy::Skip);
    EXPECT_TRUE(skip.skip);
    EXPECT_EQ(skip.targetPath, base + ".jpg");
    const PolicyDecision over = ApplyExistingFilePolicy(base, ".jpg", ExistingFilePolicy::Overwrite);
    EXPECT_FALSE(over.skip);
    EXPECT_EQ(over.targetPath, base + ".jpg");
    // The renamed path is not tested again: a second run replaces it, never numbering names.
    test::WriteFileBytes(base + "_Renamed_by_TLY.jpg", "older");
    const PolicyDecision rename = ApplyExistingFilePolicy(base, ".jpg", ExistingFilePolicy::Rename);
    EXPECT_FALSE(rename.skip);
    EXPECT_EQ(rename.targetPath, base + "_Renamed_by_TLY.jpg");
    // Another extension is another file.
    EXPECT_FALSE(ApplyExistingFilePolicy(base, ".png", ExistingFilePolicy::Skip).skip);
}

TEST(OutputNamingTest, AFolderOfTheTargetsNameDoesNotCountAsExisting) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "a.jpg");
    const PolicyDecision d = ApplyExistingFilePolicy(dir.file("a"), ".jpg", ExistingFilePolicy::Skip);
    EXPECT_FALSE(d.skip);
    EXPECT_EQ(d.targetPath, dir.file("a.jpg"));
}

} // namespace
} // namespace tessoly
