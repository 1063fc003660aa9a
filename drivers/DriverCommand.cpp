#include "DriverCommand.h"

DriverCommand::DriverCommand(AbstractDriver *driver, quint8 code) : DriverProperty_p(driver, NoCommand, code)
{
}

void DriverCommand::execute()
{
    readWrite(cmdSetter(), {});
}

void DriverCommand::executeSync(bool *ok, int attempts)
{
    readWriteSync(cmdSetter(), {}, ok, attempts);
}
