#include "PropertySignal.h"

#include <utility>

int PropertySignal::subscribe(Callback callback)
{
    ++m_lastNumber;
    m_callbacks.emplace(m_lastNumber, std::move(callback));
    return m_lastNumber;
}

void PropertySignal::notify() const
{
    // std::map iterators stay valid when a callback subscribes another one.
    for (auto it = m_callbacks.begin(); it != m_callbacks.end(); ++it)
        it->second();
}
