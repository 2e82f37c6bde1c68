#include "window/homepagecall.h"

#include <QTime>

#include <memory>
#include <random>

std::function<int()> timeSeededDrawOneToHundred()
{
    auto generator = std::make_shared<std::mt19937>(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay()));
    return [generator] {
        std::uniform_real_distribution<double> random(0.0, 1.0);
        return static_cast<int>(random(*generator) * 100) + 1;
    };
}
