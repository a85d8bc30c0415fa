// Charts in a build without cairo: none is drawn, so the reader keeps each one as its title with a warning.

#include "docserver/docx/ChartPicture.h"

bool ChartsAreDrawn() {
    return false;
}

std::vector<uint8_t> DrawChart(const ChartData&, int64_t, int64_t) {
    return {};
}
