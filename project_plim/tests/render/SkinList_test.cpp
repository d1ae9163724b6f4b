// A side file is read strictly: whatever keeps its skins from being read as
// written is said with its line, section and cause, as the static settings'
// check says them.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "render/SkinList.h"

#include <gtest/gtest.h>

namespace {

std::string skin(int i) { return "[Skin " + std::to_string(i) + "]\nleft=0\ntop=0\nwidth=8\nheight=8\n"; }

TEST(SkinList, AFaultIsSaidWithItsLineSectionAndCause) {
    EngineTestFolder folder;
    Plim* engine = BareEngine::withFiles();
    std::vector<std::pair<std::string, std::string>> cases = {
        {skin(0) + skin(1) + skin(2) + skin(999),
         "line 16 starts section [Skin 999], but the 4 sections of a side file must be [Skin 0] to [Skin 3]"},
        {skin(0) + "[Notes]\nby=me\n", "line 6 starts section [Notes], but the 2 sections of a side file must be "
                                      "[Skin 0] to [Skin 1]"},
        {"\xEF\xBB\xBF" + skin(0), "line 1 begins with a byte-order mark, so the game does not read that line (save "
                                   "the file as UTF-8 without one)"},
        {"[Skin 0]\nleft =\t0\ntop=0\n", "line 2 has blanks around '=', which the game reads as part of the key"},
        {"\n[Skin 0]\ntop=0\n", "section [Skin 0] on line 2 lacks the key 'left'"},
        {"left=0\n" + skin(0), "line 1 holds a key before the first section"},
        {skin(0) + "width 8\n", "line 6 is neither a section, a key nor a comment"},
        {skin(0) + "width=9\n", "the key 'width' of section [Skin 0] is given on line 4 and again on line 6"},
        {skin(0) + skin(1) + skin(1), "section [Skin 1] is started on line 6 and again on line 11"},
        {"; none\n", "it lists no sub-images"},
        {"", "it lists no sub-images"}};
    // Every value that is not a whole number an int holds, by its line.
    for (const char* value : {"ten", "", "3O", "0x10", "30.5", "10 ; ten"})
        cases.push_back({"[Skin 0]\nleft=0\ntop=0\nwidth=" + std::string(value) + "\nheight=8\n",
                         "the key 'width' of section [Skin 0] on line 4 is '" + std::string(value) +
                             "', not a whole number"});
    cases.push_back({skin(0) + "[Skin 1]\nleft=4294967296\n", "the key 'left' of section [Skin 1] on line 7 is "
                                                                "'4294967296', not a whole number the game can hold"});
    // Random bytes, even without a control byte, are not text.
    for (uint32_t seed : {1u, 2u, 3u}) {
        std::string noise;
        while (noise.size() < 64) noise += char(0x80 | (seed = seed * 1103515245u + 12345u) >> 16);
        cases.push_back({noise, "it is not text (byte 0x"});
    }
    for (const auto& [text, why] : cases) {
        EngineTestFolder::writeFile(folder.root + "/p.tga.ini", text);
        std::vector<SkinRect> skins;
        UString problem;
        EXPECT_FALSE(SkinList::read("p.tga.ini", "p.tga", 64, 64, skins, &problem)) << why;
        EXPECT_EQ(problem.str().substr(0, why.size()), why);
        EXPECT_TRUE(skins.empty());
    }
    // Comments, blank lines and the optional keys read as the game's own files do.
    const std::string good = "; drawn by hand\n\n" + skin(0) + "# a shadow\n[Skin 1]\nleft=2\ntop=3\nwidth=4\n"
                             "height=5\norigin_adjust_x=-6\norigin_adjust_y=7\n";
    std::vector<SkinRect> skins;
    EXPECT_EQ(SkinList::readText(good, "p.tga", 64, 64, skins), "");
    ASSERT_EQ(skins.size(), 2u);
    EXPECT_EQ(std::vector<int>({skins[1].left, skins[1].top, skins[1].width, skins[1].height, skins[1].adjustX,
                                skins[1].adjustY}), std::vector<int>({2, 3, 4, 5, -6, 7}));
    BareEngine::shutDown(engine);
}

} // namespace
