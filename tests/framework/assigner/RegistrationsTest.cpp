#include "AssignInstruction.h"
#include "ObjectsAssigner.h"

#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QObject>
#include <QString>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The registrations are process-wide and cannot be taken back, so every test here works on
// classes of its own.

class TLocal : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Rua MEMBER FRua)

public:
    QString FRua;
};

class TRemessa : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)
    Q_PROPERTY(TLocal* Local MEMBER FLocal)

public:
    QString FNome;
    TLocal* FLocal = nullptr;
};

class TEntrega : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)
    Q_PROPERTY(TLocal* Local MEMBER FLocal)

public:
    QString FNome;
    TLocal* FLocal = nullptr;
};

class TFonte : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)

public:
    QString FNome;
};

class TAlvo : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)

public:
    QString FNome;
};

// Declares Valor again over its parent's Valor: two properties of one name.
class TValorBase : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Valor MEMBER FValorBase)

public:
    int FValorBase = 2;
};

class TValorDerivado : public TValorBase {
    Q_OBJECT
    Q_PROPERTY(int Valor MEMBER FValorProprio)

public:
    int FValorProprio = 1;
};

class TValorSemDesempate : public TValorBase {
    Q_OBJECT
    Q_PROPERTY(int valor MEMBER FValorProprio)

public:
    int FValorProprio = 1;
};

class TValorAlvo : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Valor MEMBER FValor)

public:
    int FValor = 0;
};

class TAntes : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)
    Q_PROPERTY(QString MarcaDoTesteDeCache MEMBER FMarca)

public:
    QString FNome;
    QString FMarca;
};

class TDepois : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)
    Q_PROPERTY(QString MarcaDoTesteDeCache MEMBER FMarca)

public:
    QString FNome;
    QString FMarca;
};

// Two properties whose names differ only in letter case, for a disambiguation that fails.
class TFalhaInterna : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Valor MEMBER FValor)
    Q_PROPERTY(int valor MEMBER FValor)

public:
    int FValor = 0;
};

class TFalhaExterna : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)
    Q_PROPERTY(TFalhaInterna* Interna MEMBER FInterna)

public:
    QString FNome;
    TFalhaInterna* FInterna = nullptr;
};

namespace {

// --- A procedure per class pair, and cancellation ---

bool gCancelarRemessa = false;
bool gCancelarLocal = false;
std::vector<QString> gNomeAoChamar;

void AtribuirRemessa(TObjectsAssigner&, QObject&, QObject& Dest, bool& Cancel)
{
    gNomeAoChamar.push_back(static_cast<TEntrega&>(Dest).FNome);
    Cancel = gCancelarRemessa;
}

void AtribuirLocal(TObjectsAssigner&, QObject&, QObject&, bool& Cancel)
{
    Cancel = gCancelarLocal;
}

struct TCasoCancelamento {
    const char* Nome;
    bool CancelarRemessa;
    bool CancelarLocal;
    bool NomeCopiado;
    bool RuaCopiada;
};

class AssignProcedure : public ::testing::TestWithParam<TCasoCancelamento> {
protected:
    void SetUp() override
    {
        TObjectsAssigner::AddAssign(TRemessa::staticMetaObject, TEntrega::staticMetaObject,
                                    &AtribuirRemessa);
        TObjectsAssigner::AddAssign(TLocal::staticMetaObject, TLocal::staticMetaObject,
                                    &AtribuirLocal);
        gCancelarRemessa = GetParam().CancelarRemessa;
        gCancelarLocal = GetParam().CancelarLocal;
        gNomeAoChamar.clear();
    }
};

TEST_P(AssignProcedure, RunsBeforeThePropertyCopiesAndCancelsOnlyItsOwnRun)
{
    TLocal localOrigem, localDestino;
    localOrigem.FRua = "Rua A";
    TRemessa remessa;
    remessa.FNome = "remessa";
    remessa.FLocal = &localOrigem;
    TEntrega entrega;
    entrega.FLocal = &localDestino;

    TObjectsAssigner assigner;
    assigner.Assign(remessa, entrega);
    assigner.Assign(remessa, entrega);

    // Called before every copy, and before the names of the first one were copied.
    ASSERT_EQ(gNomeAoChamar.size(), 2u);
    EXPECT_EQ(gNomeAoChamar[0], "");
    EXPECT_EQ(entrega.FNome, GetParam().NomeCopiado ? "remessa" : "");
    EXPECT_EQ(localDestino.FRua, GetParam().RuaCopiada ? "Rua A" : "");
}

INSTANTIATE_TEST_SUITE_P(
    ObjectsAssigner, AssignProcedure,
    ::testing::Values(TCasoCancelamento{"NoCancel", false, false, true, true},
                      TCasoCancelamento{"OuterCancels", true, false, false, false},
                      TCasoCancelamento{"NestedCancels", false, true, true, false}),
    [](const auto& AInfo) { return std::string(AInfo.param.Nome); });

void Cancelar(TObjectsAssigner&, QObject&, QObject&, bool& Cancel)
{
    Cancel = true;
}

void NaoCancelar(TObjectsAssigner&, QObject&, QObject&, bool&) {}

TEST(AssignProcedureRegistration, SecondRegistrationForThePairReplacesTheFirst)
{
    TObjectsAssigner::AddAssign(TAlvo::staticMetaObject, TFonte::staticMetaObject, &Cancelar);
    TObjectsAssigner::AddAssign(TAlvo::staticMetaObject, TFonte::staticMetaObject,
                                &NaoCancelar);
    TAlvo alvo;
    alvo.FNome = "alvo";
    TFonte fonte;
    TObjectsAssigner().Assign(alvo, fonte);
    EXPECT_EQ(fonte.FNome, "alvo");
}

// --- Instruction providers ---

std::vector<std::string> gRegistro;
bool gSegundoCancela = false;
bool gSegundoTrata = false;

class TMarca : public TObjectsAssigner::TAssignInstruction {
public:
    explicit TMarca(std::string ARotulo) : FRotulo(std::move(ARotulo)) {}
    void Execute(TObjectsAssigner&, QObject&, QObject&, bool&) override
    {
        gRegistro.push_back(FRotulo);
    }

private:
    std::string FRotulo;
};

bool ParDoTeste(const QMetaObject& ASourceClass, const QMetaObject& ADestClass)
{
    return &ASourceClass == &TFonte::staticMetaObject && &ADestClass == &TAlvo::staticMetaObject;
}

void PrimeiroProvedor(TObjectsAssigner&, const QMetaObject& ASourceClass,
                      const QMetaObject& ADestClass,
                      TObjectsAssigner::TInstructionList& AInstructionsList, bool&, bool&)
{
    if (ParDoTeste(ASourceClass, ADestClass))
        AInstructionsList.push_back(std::make_unique<TMarca>("primeiro"));
}

void SegundoProvedor(TObjectsAssigner&, const QMetaObject& ASourceClass,
                     const QMetaObject& ADestClass,
                     TObjectsAssigner::TInstructionList& AInstructionsList, bool& Cancel,
                     bool& Handled)
{
    if (!ParDoTeste(ASourceClass, ADestClass))
        return;
    AInstructionsList.push_back(std::make_unique<TMarca>("segundo"));
    Cancel = gSegundoCancela;
    Handled = gSegundoTrata;
}

struct TCasoProvedor {
    const char* Nome;
    bool Cancela;
    bool Trata;
    std::vector<std::string> Marcas;
    bool NomeCopiado;
};

class InstructionProviders : public ::testing::TestWithParam<TCasoProvedor> {
protected:
    static void SetUpTestSuite()
    {
        TObjectsAssigner::AddGetInstructionsProc(&PrimeiroProvedor);
        TObjectsAssigner::AddGetInstructionsProc(&SegundoProvedor);
    }
    void SetUp() override
    {
        gSegundoCancela = GetParam().Cancela;
        gSegundoTrata = GetParam().Trata;
        gRegistro.clear();
    }
};

TEST_P(InstructionProviders, AreAskedFromTheLastRegisteredAndMayCancelOrHandle)
{
    TFonte fonte;
    fonte.FNome = "fonte";
    TAlvo alvo;
    TObjectsAssigner().Assign(fonte, alvo);
    EXPECT_EQ(gRegistro, GetParam().Marcas);
    EXPECT_EQ(alvo.FNome, GetParam().NomeCopiado ? "fonte" : "");
}

INSTANTIATE_TEST_SUITE_P(
    ObjectsAssigner, InstructionProviders,
    ::testing::Values(
        TCasoProvedor{"Neither", false, false, {"segundo", "primeiro"}, true},
        // The earlier provider is still asked; only the property copies are left out.
        TCasoProvedor{"Cancel", true, false, {"segundo", "primeiro"}, false},
        TCasoProvedor{"Handled", false, true, {"segundo"}, true}),
    [](const auto& AInfo) { return std::string(AInfo.param.Nome); });

// --- Disambiguation ---

enum class TEscolha { Remover, Manter, Trocar };
TEscolha gEscolha = TEscolha::Manter;
const QMetaObject* gClasseRecebida = nullptr;
const QMetaObject* gDonoPrimeira = nullptr;
const QMetaObject* gDonoSegunda = nullptr;

void Desempatar(TObjectsAssigner&, const QMetaObject& ObjClass, const QMetaProperty& AProperty1,
                const QMetaProperty& AProperty2, QMetaProperty& SelectProperty)
{
    gClasseRecebida = &ObjClass;
    gDonoPrimeira = AProperty1.enclosingMetaObject();
    gDonoSegunda = AProperty2.enclosingMetaObject();
    switch (gEscolha) {
    case TEscolha::Remover:
        SelectProperty = QMetaProperty();
        break;
    case TEscolha::Manter:
        break;
    case TEscolha::Trocar:
        SelectProperty = AProperty2;
        break;
    }
}

template <typename T>
std::unique_ptr<QObject> Criar()
{
    return std::make_unique<T>();
}

struct TCasoDesempate {
    const char* Nome;
    std::unique_ptr<QObject> (*CriarOrigem)();
    bool Registrada;
    TEscolha Escolha;
    int ValorCopiado;
};

class Disambiguation : public ::testing::TestWithParam<TCasoDesempate> {
protected:
    void SetUp() override
    {
        TObjectsAssigner::AddDisambiguateProc(TValorDerivado::staticMetaObject, &Desempatar);
        gEscolha = GetParam().Escolha;
        gClasseRecebida = gDonoPrimeira = gDonoSegunda = nullptr;
    }
};

TEST_P(Disambiguation, ChoosesBetweenTheClassesOwnAndItsParentsProperty)
{
    const std::unique_ptr<QObject> origem = GetParam().CriarOrigem();
    TValorAlvo alvo;
    TObjectsAssigner().Assign(*origem, alvo);
    EXPECT_EQ(alvo.FValor, GetParam().ValorCopiado);
    if (GetParam().Registrada) {
        EXPECT_EQ(gClasseRecebida, &TValorDerivado::staticMetaObject);
        EXPECT_EQ(gDonoPrimeira, &TValorDerivado::staticMetaObject);
        EXPECT_EQ(gDonoSegunda, &TValorBase::staticMetaObject);
    } else {
        EXPECT_EQ(gClasseRecebida, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ObjectsAssigner, Disambiguation,
    ::testing::Values(
        TCasoDesempate{"Remove", &Criar<TValorDerivado>, true, TEscolha::Remover, 0},
        TCasoDesempate{"Keep", &Criar<TValorDerivado>, true, TEscolha::Manter, 1},
        TCasoDesempate{"Swap", &Criar<TValorDerivado>, true, TEscolha::Trocar, 2},
        // No procedure for this class: the first property met, its own, is kept.
        TCasoDesempate{"Unregistered", &Criar<TValorSemDesempate>, false, TEscolha::Trocar, 1}),
    [](const auto& AInfo) { return std::string(AInfo.param.Nome); });

// --- Caches ---

int gChamadasAntesDepois = 0;

void ContarAntesDepois(TObjectsAssigner&, QObject&, QObject&, bool&)
{
    ++gChamadasAntesDepois;
}

TEST(ObjectsAssignerCache, RegistrationsAfterTheBuildDoNotChangeIt)
{
    TAntes antes;
    antes.FNome = "nome";
    antes.FMarca = "marca";
    TObjectsAssigner construido;
    TDepois primeiro;
    construido.Assign(antes, primeiro);

    TObjectsAssigner::AddAssign(TAntes::staticMetaObject, TDepois::staticMetaObject,
                                &ContarAntesDepois);
    TObjectsAssigner::AddIgnoreProperty("marcadotestedecache");

    TDepois deNovo;
    construido.Assign(antes, deNovo);
    EXPECT_EQ(gChamadasAntesDepois, 0);
    EXPECT_EQ(deNovo.FMarca, "marca");

    TDepois outro;
    TObjectsAssigner().Assign(antes, outro);
    EXPECT_EQ(gChamadasAntesDepois, 1);
    EXPECT_EQ(outro.FNome, "nome");
    EXPECT_EQ(outro.FMarca, "");
}

bool gFalharDesempate = false;

void DesempatarOuFalhar(TObjectsAssigner&, const QMetaObject&, const QMetaProperty&,
                        const QMetaProperty&, QMetaProperty&)
{
    if (gFalharDesempate)
        throw std::runtime_error("desempate falhou");
}

TEST(ObjectsAssignerCache, FailedBuildIsNotKeptHalfFilled)
{
    TObjectsAssigner::AddDisambiguateProc(TFalhaInterna::staticMetaObject, &DesempatarOuFalhar);
    TFalhaInterna internaOrigem, internaDestino;
    internaOrigem.FValor = 8;
    TFalhaExterna origem, destino;
    origem.FNome = "externa";
    origem.FInterna = &internaOrigem;
    destino.FInterna = &internaDestino;

    TObjectsAssigner assigner;
    gFalharDesempate = true;
    EXPECT_THROW(assigner.Assign(origem, destino), std::runtime_error);
    gFalharDesempate = false;
    assigner.Assign(origem, destino);

    EXPECT_EQ(destino.FNome, "externa");
    EXPECT_EQ(internaDestino.FValor, 8);
}

TEST(ObjectsAssignerRegistration, MissingProceduresAndInstructionsAreRefused)
{
    const QMetaObject& classe = TFonte::staticMetaObject;
    EXPECT_THROW(TObjectsAssigner::AddAssign(classe, classe, nullptr), std::invalid_argument);
    EXPECT_THROW(TObjectsAssigner::AddDisambiguateProc(classe, nullptr), std::invalid_argument);
    EXPECT_THROW(TObjectsAssigner::AddGetInstructionsProc(nullptr), std::invalid_argument);
    EXPECT_THROW(TObjectsAssigner().AddInstruction(classe, classe, nullptr),
                 std::invalid_argument);
}

} // namespace

#include "RegistrationsTest.moc"
