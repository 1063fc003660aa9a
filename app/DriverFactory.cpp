#include "DriverFactory.h"
#include "HeaterDriverM0.h"
#include "SisBiasSourceDriverM0.h"
#include "SisControlLineDriverM0.h"
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
    DriverFactory::Scope scope; ///< the narrowest scope that makes it
};

template <typename Driver> CommonDriver *make(QObject *parent)
{
    return new Driver(parent);
}

const std::array<DriverModel, 7> Models{{
    {"VT4SDM0", &make<SspdDriverM0>, DriverFactory::CrateListModels},
    {"VT4SDM1", &make<SspdDriverM1>, DriverFactory::CrateListModels},
    {"VT4TDM0", &make<TempDriverM0>, DriverFactory::CrateListModels},
    {"VT4TDM1", &make<TempDriverM1>, DriverFactory::CrateListModels},
    {"VT4HTM0", &make<HeaterDriverM0>, DriverFactory::AllModels},
    {"VT4BSM0", &make<SisBiasSourceDriverM0>, DriverFactory::AllModels},
    {"VT4CLM0", &make<SisControlLineDriverM0>, DriverFactory::AllModels},
}};
} // namespace

CommonDriver *DriverFactory::create(const QString &type, QObject *parent, Scope scope)
{
    for (const DriverModel &model : Models) {
        if (model.scope <= scope && type.contains(QLatin1String(model.name)))
            return model.create(parent);
    }
    return nullptr;
}
