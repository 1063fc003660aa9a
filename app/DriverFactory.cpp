#include "DriverFactory.h"
#include "SspdDriverM0.h"
#include "SspdDriverM1.h"
#include "TempDriverM0.h"
#include "TempDriverM1.h"

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

const std::array<DriverModel, 4> Models{{
    {"VT4SDM0", &make<SspdDriverM0>},
    {"VT4SDM1", &make<SspdDriverM1>},
    {"VT4TDM0", &make<TempDriverM0>},
    {"VT4TDM1", &make<TempDriverM1>},
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
