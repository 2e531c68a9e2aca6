#pragma once

#include "Enumeration.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

// Base of an enumeration class: a class T with a fixed, closed set of named instances that can
// carry data. T derives from TAbstractEnumeration<T>, makes its constructor private, befriends
// this base and provides a private static `Instancias()` that creates all its instances, in
// their fixed order, through `Registrar` inside a function-local static.
//
// Every class-level operation goes through `Instancias()` first. The set of a class is
// therefore complete before anyone reads it, the ordinals follow the order written in
// `Instancias()` whatever order the linker puts the object files in, and a class whose
// instances refer to another class's instances (dialog types to icons) creates that other set
// first. Each registry is a function-local static as well, so it is destroyed, with its
// instances, at process end after everything created after it.
template <typename T>
class TAbstractEnumeration : public TEnumeration {
public:
    using TEnumerationEvent = std::function<void(const T&)>;

    // All instances in ordinal order; a new vector the caller may change freely.
    static std::vector<const T*> Values()
    {
        const auto& valores = Lista();
        std::vector<const T*> copia;
        copia.reserve(valores.size());
        for (const auto& valor : valores)
            copia.push_back(valor.get());
        return copia;
    }

    static std::int32_t Size() { return static_cast<std::int32_t>(Lista().size()); }

    static const T& ValueOf(std::int32_t AIndex)
    {
        const auto& valores = Lista();
        if (static_cast<std::uint32_t>(AIndex) >= valores.size())
            throw std::out_of_range("Argument out of range");
        return *valores[static_cast<std::size_t>(AIndex)];
    }

    static bool EqualsIn(const T& AValue, std::vector<const T*> AValues)
    {
        return IndexOf(AValue, std::move(AValues)) >= 0;
    }

    // Position of the first element of AValues that equals AValue, or -1.
    static std::int32_t IndexOf(const T& AValue, std::vector<const T*> AValues)
    {
        for (std::size_t i = 0; i < AValues.size(); ++i) {
            if (AValues[i] == nullptr)
                throw std::invalid_argument("Enumeration list holds a missing element");
            if (AValues[i]->Equals(&AValue))
                return static_cast<std::int32_t>(i);
        }
        return -1;
    }

    // Calls AMethod once per instance, in ordinal order, over a snapshot of the set.
    static void ForEach(const TEnumerationEvent& AMethod)
    {
        if (!AMethod)
            throw std::invalid_argument("ForEach needs a procedure");
        for (const T* valor : Values())
            AMethod(*valor);
    }

    // 0 when equal; otherwise -1 or 1 by the instances' addresses, a stable order for the life
    // of the process that is not the order of the ordinals.
    virtual std::int32_t CompareTo(const T& AValue) const
    {
        if (Equals(&AValue))
            return 0;
        const auto esta = reinterpret_cast<std::intptr_t>(static_cast<const TEnumeration*>(this));
        const auto outra = reinterpret_cast<std::intptr_t>(static_cast<const TEnumeration*>(&AValue));
        return esta < outra ? -1 : 1;
    }

protected:
    // The ordinal is the number of instances registered before this one; only `Registrar`
    // constructs instances, under the class's lock.
    TAbstractEnumeration() noexcept : TEnumeration(static_cast<std::int32_t>(Registro().Valores.size())) {}

    // Creates and registers one instance. The slot is reserved before the instance is built,
    // so a failing constructor leaves the registry as it was and the lock released.
    template <typename... TArgs>
    static const T& Registrar(TArgs&&... AArgs)
    {
        auto& registro = Registro();
        std::lock_guard trava(registro.Trava);
        registro.Valores.reserve(registro.Valores.size() + 1);
        std::unique_ptr<T> instancia(new T(std::forward<TArgs>(AArgs)...));
        registro.Valores.push_back(std::move(instancia));
        return *registro.Valores.back();
    }

private:
    struct TRegistro {
        std::mutex Trava;
        std::vector<std::unique_ptr<T>> Valores;
    };

    static TRegistro& Registro()
    {
        static TRegistro registro;
        return registro;
    }

    static const std::vector<std::unique_ptr<T>>& Lista()
    {
        T::Instancias();
        return Registro().Valores;
    }
};
