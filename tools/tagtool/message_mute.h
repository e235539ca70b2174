// Keeps the editor's messages from standard error while tagtool computes
// something only to compare it (the derived fields of a damaged record).
#pragma once

namespace lumaset {

class MessageMute {
public:
    MessageMute() { ++depth(); }
    ~MessageMute() { --depth(); }
    MessageMute(const MessageMute&) = delete;
    MessageMute& operator=(const MessageMute&) = delete;

    static bool active() { return depth() > 0; }

private:
    static int& depth() {
        static int d = 0;
        return d;
    }
};

}  // namespace lumaset
