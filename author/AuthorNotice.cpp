#include "author/AuthorNotice.h"

void AuthorNotice::Show(const std::string& shown, int64_t nowNs) {
    text = shown;
    endNs = nowNs + kShownNs;
}

std::string AuthorNotice::Text(int64_t nowNs) const { return nowNs < endNs ? text : std::string(); }
