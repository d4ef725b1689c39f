#pragma once

#include "host/HostTables.h"

#include <QObject>
#include <QString>
#include <gtest/gtest.h>

namespace zelvaro::test {

// A connection sequence that must not report anything.
struct SilentConnect : ConnectUi {
    void message(const QString& text) override { ADD_FAILURE() << text.toStdString(); }
};

// A control of a window by its object name; a missing one fails the test.
template <class T> T* child(QObject& parent, const char* name)
{
    T* c = parent.findChild<T*>(QString::fromLatin1(name));
    if (!c) ADD_FAILURE() << "no control " << name;
    return c;
}

} // namespace zelvaro::test
