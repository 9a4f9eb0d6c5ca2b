#include "scene/AseImportBudget.h"

#include <algorithm>

#include "core/Log.h"
#include "scene/AseScanner.h"

namespace {

// Whatever the last frame says, tracks of one import hold at most this many
// samples together (36 MB of light samples), or one sample per 32 bytes of
// text if that is more.
constexpr uint64_t kMinTrackBudget = uint64_t(1) << 20;
constexpr uint64_t kTextBytesPerTrackSample = 32;

}  // namespace

AseImportBudget::AseImportBudget(const AseScanner& textScanner)
    : scanner(textScanner), trackSamplesLeft(0), elementBytesLeft(0) {}

void AseImportBudget::Reset(uint64_t textSize) {
    trackSamplesLeft = std::max<uint64_t>(kMinTrackBudget, textSize / kTextBytesPerTrackSample);
    elementBytesLeft = textSize;
}

uint32_t AseImportBudget::BoundedCount(const char* keyword, int64_t count, size_t bytesPerElement) {
    if (count < 0) {
        Log::Format("]> ** AVISO ** %s %lld es negativo: se toma 0.\n", keyword, static_cast<long long>(count));
        return 0;
    }
    const size_t most =
        static_cast<size_t>(std::min<uint64_t>(scanner.BytesLeft(), elementBytesLeft)) / bytesPerElement;
    size_t granted = static_cast<size_t>(count);
    if (granted > most) {
        Log::Format("]> ** AVISO ** %s %lld no cabe en el resto del fichero: se reduce a %zu.\n", keyword,
                    static_cast<long long>(count), most);
        granted = most;
    }
    elementBytesLeft -= static_cast<uint64_t>(granted) * bytesPerElement;
    return static_cast<uint32_t>(granted);
}

uint32_t AseImportBudget::TrackLength(int32_t lastFrame) {
    const int64_t wanted = std::max<int64_t>(1, int64_t(lastFrame) + 1);
    const uint64_t granted =
        std::min<uint64_t>(static_cast<uint64_t>(wanted), std::max<uint64_t>(1, trackSamplesLeft));
    if (granted < static_cast<uint64_t>(wanted)) {
        Log::Format("]>   ** AVISO ** Pista de %lld muestras demasiado larga para el fichero: se reduce a %llu.\n",
                    static_cast<long long>(wanted), static_cast<unsigned long long>(granted));
    }
    trackSamplesLeft -= std::min(trackSamplesLeft, granted);
    return static_cast<uint32_t>(granted);
}
