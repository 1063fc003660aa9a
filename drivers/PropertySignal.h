#pragma once

#include <functional>
#include <map>

/// Callback registry behind a property's "getted" and "setted" notifications. Callbacks run
/// in the order they were subscribed; there is no unsubscribe, the registry lives as long as
/// its property.
class PropertySignal
{
public:
    using Callback = std::function<void()>;

    /// Adds `callback` after all earlier ones; returns its subscription number.
    int subscribe(Callback callback);
    /// Runs every callback in subscription order. A callback subscribed while this runs is
    /// run in the same pass.
    void notify() const;

private:
    std::map<int, Callback> m_callbacks;
    int m_lastNumber = 0;
};
