#include "serial/ComAsync.h"

namespace serial {

void InitAsync(PCPortAsync& AsyncPtr)
{
    AsyncPtr = new TCPortAsync;
}

void DoneAsync(PCPortAsync& AsyncPtr)
{
    delete AsyncPtr;
    AsyncPtr = nullptr;
}

} // namespace serial
