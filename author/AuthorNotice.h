// A short line the author overlay shows for a while after something changed
// out of the author's sight, such as a reload ("reloaded (script)"): long
// enough to read, gone before it is in the way. Times are the player's wall
// clock, so that it goes also while the show is paused.
#ifndef HALVENOR_AUTHOR_AUTHORNOTICE_H
#define HALVENOR_AUTHOR_AUTHORNOTICE_H

#include <cstdint>
#include <string>

class AuthorNotice {
public:
    static constexpr int64_t kShownNs = 2000000000;

    // Shows text from nowNs on, in place of what was shown.
    void Show(const std::string& text, int64_t nowNs);
    // The text while it is shown, else empty.
    std::string Text(int64_t nowNs) const;
    // When the text goes (a paused player draws again then); 0 when none
    // was shown.
    int64_t EndNs() const { return endNs; }

private:
    std::string text;
    int64_t endNs = 0;
};

#endif
