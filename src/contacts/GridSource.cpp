#include "GridSource.h"

#include "shared/Variant.h"

GridSource::Kind GridSource::sortKind(int, int, double&) const {
    return Kind::Text;
}

bool GridSource::holdsNumbers(int) const {
    return false;
}

QString GridSource::displayText(const Variant& value) {
    return value.toDisplayString();
}
