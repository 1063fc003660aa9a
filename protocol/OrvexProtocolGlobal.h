#pragma once

#include <QtGlobal>

// The library is built with hidden visibility; only classes marked with this macro are exported.
#if defined(ORVEXPROTOCOL_LIBRARY)
#define ORVEXPROTOCOL_EXPORT Q_DECL_EXPORT
#else
#define ORVEXPROTOCOL_EXPORT Q_DECL_IMPORT
#endif
