// A side file whose skins cannot be read is said with its line, section and
// cause, as the static settings' check says them.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "files/MemoryIniFile.h"
#include "render/SkinList.h"

#include <gtest/gtest.h>

namespace {

std::string skin(int i) { return "[Skin " + std::to_string(i) + "]\nleft=0\ntop=0\nwidth=8\nheight=8\n"; }

TEST(SkinList, AFaultIsSaidWithItsLineSectionAndCause) {
    EngineTestFolder folder;
    Plim* engine = BareEngine::withFiles();
    const std::pair<std::string, std::string> cases[] = {
        {skin(0) + skin(1) + skin(2) + skin(999),
         "line 16 starts section [Skin 999], but the 4 sections of a side file must be [Skin 0] to [Skin 3]"},
        {skin(0) + "[Notes]\nby=me\n", "line 6 starts section [Notes], but the 2 sections of a side file must be "
                                      "[Skin 0] to [Skin 1]"},
        {"\xEF\xBB\xBF" + skin(0), "line 1 begins with a byte-order mark, so the game does not read that line (save "
                                   "the file as UTF-8 without one)"},
        {"[Skin 0]\nleft =\t0\ntop=0\n", "line 2 has blanks around '=', which the game reads as part of the key"},
        {"\n[Skin 0]\ntop=0\n", "section [Skin 0] on line 2 lacks the key 'left'"}};
    for (const auto& [text, why] : cases) {
        EngineTestFolder::writeFile(folder.root + "/p.tga.ini", text);
        MemoryIniFile ini("p.tga.ini");
        std::vector<SkinRect> skins;
        UString problem;
        EXPECT_FALSE(SkinList::read(ini, "p.tga", 64, 64, skins, &problem)) << why;
        EXPECT_EQ(problem.str(), why);
    }
    BareEngine::shutDown(engine);
}

} // namespace
