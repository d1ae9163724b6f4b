#pragma once
// The last status lines of a screen, word-wrapped, oldest first, at most
// maxLines of them; optionally bottom-anchored, with older lines dimmed, and
// fading out fadeTime seconds after the last message. The owning screen sets
// the position, colours and flags after construction. The lines lie on a panel.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/UString.h"

#include <cstdint>
#include <deque>

class FontQuad;
class StretchSkin;

class MessageViewer : public PlimBase {
public:
    MessageViewer();
    ~MessageViewer() override;

    void tick(double time, double dt) override;
    void render() override;

    // Logs the text, wraps it into lines and drops the oldest beyond maxLines.
    void addMessage(const UString& text);

    int32_t wrapWidth;
    int32_t maxLines = 10;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float lineStep = 0.0f;
    UColor colour{255, 255, 255, 255};
    int32_t alignment = 4;
    double fadeTime = 0.0; // 0: never fades
    bool bBottomAnchored = false;
    bool bDimOlderLines = false;
    bool bHidden = false;
    FontQuad* font = nullptr;
    std::deque<UString> lines;
    double lastMessageTime = 0.0;
    float visibility = 1.0f;
    // The panel under the lines, which stand on the backdrop; owned, null
    // without the picture.
    StretchSkin* panel = nullptr;

private:
    void drawPanel(float firstLineY, int alpha);
};
