#include "DriverFactory.h"
#include "SspdDriverM0.h"

#include <array>

namespace {
struct DriverModel
{
    const char *name;
    CommonDriver *(*create)(QObject *parent);
};

template <typename Driver> CommonDriver *make(QObject *parent)
{
    return new Driver(parent);
}

const std::array<DriverModel, 1> Models{{
    {"VT4SDM0", &make<SspdDriverM0>},
}};
} // namespace

CommonDriver *DriverFactory::create(const QString &type, QObject *parent)
{
    for (const DriverModel &model : Models) {
        if (type.contains(QLatin1String(model.name)))
            return model.create(parent);
    }
    return nullptr;
}
