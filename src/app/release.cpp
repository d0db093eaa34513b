#include "app/release.h"

namespace zelmo {

QString ReleaseText(const BuildDayBytes& buildDay) {
    return QString::asprintf("%d.%02d.%02d.%02d", buildDay[0], buildDay[1], buildDay[2],
                             buildDay[3]);
}

bool ReleaseIsOutdated(const BuildDayBytes& buildDay, const QDateTime& nowUtc) {
    const QDate day(2000 + buildDay[1], buildDay[2], buildDay[3]);
    if (!day.isValid()) {
        return false;
    }
    const QDateTime built(day, QTime(0, 0), Qt::UTC);
    return nowUtc.toUTC() > built.addSecs(2592000);
}

// The build system passes ZELMO_BUILD_DATE and ZELMO_BUILD_TIME when SOURCE_DATE_EPOCH is set,
// so that reproducible builds carry the same release number.
const char* BuildDateText() {
#ifdef ZELMO_BUILD_DATE
    return ZELMO_BUILD_DATE;
#else
    return __DATE__;
#endif
}

const char* BuildTimeText() {
#ifdef ZELMO_BUILD_TIME
    return ZELMO_BUILD_TIME;
#else
    return __TIME__;
#endif
}

} // namespace zelmo
