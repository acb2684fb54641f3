#pragma once

// Creating an object by its programmatic identifier and calling it by name. An identifier names a
// shared library beside the program and a class inside it; the library exports one factory,
// AutomationCreateObject (below), and stays loaded for the rest of the process once an object of
// it was made.

#include "platform/automation/TavelinCom.h"
#include "platform/vbrt/Error.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace platform::automation {

// The factory every automation library exports:
//   extern "C" platform::automation::Dispatch* AutomationCreateObject(const char* className);
// It returns a new object of the class (UTF-8 name, the part of the identifier after the dot),
// or nullptr when the library has no such class; it may raise platform::vbrt::Error.
using FactoryFunction = Dispatch* (*)(const char* className);
inline constexpr const char* FactorySymbol = "AutomationCreateObject";

// A new object of the class named by the identifier ("TavelinCom10.TavelinCom"), letter case
// ignored. Raises 429 when the identifier is unknown, its library does not load or lacks the
// class; an error raised while the object is constructed reaches the caller unchanged.
std::shared_ptr<Dispatch> CreateObject(const QString& progId);

// The same object seen through its typed interface; raises 13 when it does not offer it.
template <class I>
std::shared_ptr<I> CreateObjectAs(const QString& progId)
{
    std::shared_ptr<Dispatch> object = CreateObject(progId);
    std::shared_ptr<I> typed = std::dynamic_pointer_cast<I>(object);
    if (!typed)
        vbrt::RaiseNumber(vbrt::ErrorNumber::TypeMismatch, QStringLiteral("CreateObject"), progId);
    return typed;
}

// Calls the method of that name, letter case ignored. The arguments pass by reference: after a
// successful call each holds what the method left in its parameter. Omitted trailing optional
// arguments take their defaults. Raises 438 for an unknown name and 450 for a wrong number of
// arguments.
QVariant CallByName(Dispatch& object, const QString& name, QVariantList& args);

} // namespace platform::automation
