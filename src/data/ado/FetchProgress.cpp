#include "FetchProgress.h"

namespace ado {

namespace {
FetchProgress& installed() {
    static FetchProgress progress;
    return progress;
}
} // namespace

FetchProgress setFetchProgress(FetchProgress progress) {
    FetchProgress previous = std::move(installed());
    installed() = std::move(progress);
    return previous;
}

void reportFetchProgress(long rowsRead) {
    if (const FetchProgress& p = installed()) p(rowsRead);
}

} // namespace ado
