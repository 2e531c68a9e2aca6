#include "AbstractEnumeration.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Two small enumeration classes of the tests' own; the icons and dialog types have their own
// tests beside their code.
class TCor final : public TAbstractEnumeration<TCor> {
public:
    static const TCor& Vermelho() { return Instancias().Vermelho; }
    static const TCor& Verde() { return Instancias().Verde; }
    static const TCor& Azul() { return Instancias().Azul; }

    const std::string& Nome() const noexcept { return FNome; }

    // Registers an instance whose constructor fails, to see the registry untouched after it.
    static void RegistrarComFalha() { Registrar(std::string()); }

private:
    friend class TAbstractEnumeration<TCor>;

    explicit TCor(std::string ANome) : FNome(std::move(ANome))
    {
        if (FNome.empty())
            throw std::invalid_argument("sem nome");
    }

    struct TInstancias {
        const TCor& Vermelho = Registrar(std::string("vermelho"));
        const TCor& Verde = Registrar(std::string("verde"));
        const TCor& Azul = Registrar(std::string("azul"));
    };
    static const TInstancias& Instancias()
    {
        static const TInstancias instancias;
        return instancias;
    }

    std::string FNome;
};

class TForma final : public TAbstractEnumeration<TForma> {
public:
    static const TForma& Circulo() { return Instancias().Circulo; }
    static const TForma& Quadrado() { return Instancias().Quadrado; }

private:
    friend class TAbstractEnumeration<TForma>;
    TForma() = default;

    struct TInstancias {
        const TForma& Circulo = Registrar();
        const TForma& Quadrado = Registrar();
    };
    static const TInstancias& Instancias()
    {
        static const TInstancias instancias;
        return instancias;
    }
};

} // namespace

TEST(TAbstractEnumeration, OrdinalsFollowCreationOrderAndMatchValues)
{
    ASSERT_EQ(TCor::Size(), 3);
    const auto valores = TCor::Values();
    ASSERT_EQ(valores.size(), 3u);
    EXPECT_EQ(valores[0], &TCor::Vermelho());
    EXPECT_EQ(valores[1], &TCor::Verde());
    EXPECT_EQ(valores[2], &TCor::Azul());
    for (std::int32_t i = 0; i < TCor::Size(); ++i) {
        EXPECT_EQ(TCor::ValueOf(i).Ordinal(), i);
        EXPECT_EQ(TCor::IndexOf(TCor::ValueOf(i), valores), i);
    }
    EXPECT_EQ(&TCor::ValueOf(TCor::Size() - 1), &TCor::Azul());
    EXPECT_EQ(TCor::Vermelho().ToString(), "0");
    EXPECT_EQ(TCor::Azul().ToString(), "2");
}

TEST(TAbstractEnumeration, SizeAloneCreatesTheSet)
{
    // Asking only for the size, before any named instance, must already see the whole set.
    EXPECT_EQ(TForma::Size(), 2);
}

class TValueOfForaDoIntervalo : public testing::TestWithParam<std::int32_t> {};

TEST_P(TValueOfForaDoIntervalo, FailsWithArgumentOutOfRange)
{
    try {
        TCor::ValueOf(GetParam());
        FAIL() << "ValueOf(" << GetParam() << ") did not fail";
    } catch (const std::out_of_range& erro) {
        EXPECT_STREQ(erro.what(), "Argument out of range");
    }
    EXPECT_EQ(TCor::Size(), 3);
}

INSTANTIATE_TEST_SUITE_P(Indices, TValueOfForaDoIntervalo,
                         testing::Values(-1, 3, 4, INT32_MIN, INT32_MAX));

TEST(TAbstractEnumeration, EqualsNeedsTheSameClassAndOrdinal)
{
    EXPECT_TRUE(TCor::Verde().Equals(&TCor::ValueOf(1)));
    EXPECT_FALSE(TCor::Verde().Equals(&TCor::Azul()));
    EXPECT_FALSE(TCor::Vermelho().Equals(nullptr));
    ASSERT_EQ(TForma::Circulo().Ordinal(), TCor::Vermelho().Ordinal());
    EXPECT_FALSE(TCor::Vermelho().Equals(&TForma::Circulo()));
    EXPECT_FALSE(TForma::Circulo().Equals(&TCor::Vermelho()));
}

TEST(TAbstractEnumeration, EqualsInAndIndexOfWalkTheGivenList)
{
    EXPECT_FALSE(TCor::EqualsIn(TCor::Verde(), {}));
    EXPECT_EQ(TCor::IndexOf(TCor::Verde(), {}), -1);
    EXPECT_TRUE(TCor::EqualsIn(TCor::Verde(), {&TCor::Azul(), &TCor::Verde()}));
    EXPECT_FALSE(TCor::EqualsIn(TCor::Vermelho(), {&TCor::Azul(), &TCor::Verde()}));
    EXPECT_EQ(TCor::IndexOf(TCor::Azul(), {&TCor::Verde(), &TCor::Azul(), &TCor::Azul()}), 1);
    EXPECT_EQ(TCor::IndexOf(TCor::Vermelho(), {&TCor::Verde(), &TCor::Azul()}), -1);
    EXPECT_THROW(TCor::IndexOf(TCor::Azul(), {nullptr}), std::invalid_argument);
}

TEST(TAbstractEnumeration, CompareToIsZeroOnlyForEqualInstancesAndAntisymmetric)
{
    EXPECT_EQ(TCor::Verde().CompareTo(TCor::Verde()), 0);
    for (const TCor* a : TCor::Values())
        for (const TCor* b : TCor::Values())
            if (a != b) {
                const auto ab = a->CompareTo(*b);
                EXPECT_TRUE(ab == -1 || ab == 1);
                EXPECT_EQ(ab, -b->CompareTo(*a));
                EXPECT_EQ(ab, a < b ? -1 : 1);
            }
}

TEST(TAbstractEnumeration, ValuesIsACopy)
{
    auto valores = TCor::Values();
    valores.clear();
    valores.push_back(&TCor::Azul());
    EXPECT_EQ(TCor::Size(), 3);
    EXPECT_EQ(TCor::Values().front(), &TCor::Vermelho());
}

TEST(TAbstractEnumeration, ForEachVisitsEveryInstanceInOrder)
{
    std::vector<std::string> nomes;
    TCor::ForEach([&](const TCor& cor) { nomes.push_back(cor.Nome()); });
    EXPECT_EQ(nomes, (std::vector<std::string>{"vermelho", "verde", "azul"}));
    EXPECT_THROW(TCor::ForEach(nullptr), std::invalid_argument);
}

TEST(TAbstractEnumeration, FailedRegistrationLeavesTheRegistryAndLockAsTheyWere)
{
    const auto antes = TCor::Values();
    EXPECT_THROW(TCor::RegistrarComFalha(), std::invalid_argument);
    // A second attempt would deadlock if the first had kept the lock.
    EXPECT_THROW(TCor::RegistrarComFalha(), std::invalid_argument);
    EXPECT_EQ(TCor::Values(), antes);
}
