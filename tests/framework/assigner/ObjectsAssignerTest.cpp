#include "AssignError.h"
#include "ObjectsAssigner.h"
#include "RttiPropertyAssignInstruction.h"

#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

using TAviso = void (*)(int);
using TRetorno = std::function<void()>;

class TEndereco : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Rua MEMBER FRua)
    Q_PROPERTY(int Numero MEMBER FNumero)

public:
    QString FRua;
    int FNumero = 0;
};

// The source side of the copy rules: each property stands for one rule.
class TPessoa : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome READ Nome WRITE SetNome)
    Q_PROPERTY(int Idade MEMBER FIdade)
    Q_PROPERTY(int Codigo MEMBER FCodigo)
    Q_PROPERTY(QString Apelido MEMBER FApelido)
    Q_PROPERTY(int count MEMBER FContagem)
    Q_PROPERTY(QString displayname MEMBER FExibicao)
    Q_PROPERTY(TAviso Aviso MEMBER FAviso)
    Q_PROPERTY(TRetorno Retorno READ Retorno WRITE SetRetorno)
    Q_PROPERTY(TEndereco* Endereco MEMBER FEndereco)
    Q_PROPERTY(TEndereco* Contato MEMBER FContato)

public:
    QString Nome() const { return FNome; }
    void SetNome(const QString& ANome)
    {
        FNome = ANome;
        ++FEscritas;
    }
    TRetorno Retorno() const { return FRetorno; }
    void SetRetorno(const TRetorno& ARetorno) { FRetorno = ARetorno; }

    QString FNome;
    int FEscritas = 0;
    int FIdade = 0;
    int FCodigo = 0;
    QString FApelido;
    int FContagem = 0;
    QString FExibicao;
    TAviso FAviso = nullptr;
    TRetorno FRetorno;
    TEndereco* FEndereco = nullptr;
    TEndereco* FContato = nullptr;
};

// The destination side: same names with the same, a wider or another kind of type.
class TCliente : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Nome MEMBER FNome)
    Q_PROPERTY(int Idade MEMBER FIdade)
    Q_PROPERTY(qint64 Codigo MEMBER FCodigo)
    Q_PROPERTY(double Limite MEMBER FLimite)
    Q_PROPERTY(int Count MEMBER FContagem)
    Q_PROPERTY(QString DisplayName MEMBER FExibicao)
    Q_PROPERTY(TAviso Aviso MEMBER FAviso)
    Q_PROPERTY(TRetorno Retorno READ Retorno WRITE SetRetorno)
    Q_PROPERTY(TEndereco* Endereco MEMBER FEndereco)
    Q_PROPERTY(QString Contato MEMBER FContato)
    Q_PROPERTY(QString Resumo READ Resumo)

public:
    TRetorno Retorno() const { return FRetorno; }
    void SetRetorno(const TRetorno& ARetorno) { FRetorno = ARetorno; }
    QString Resumo() const { return FNome; }

    QString FNome = "cliente";
    int FIdade = -1;
    qint64 FCodigo = -1;
    double FLimite = 2.5;
    int FContagem = -1;
    QString FExibicao = "cliente";
    TAviso FAviso = nullptr;
    TRetorno FRetorno;
    TEndereco* FEndereco = nullptr;
    QString FContato = "cliente";
};

// A class with a property of its own class.
class TNo : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Valor MEMBER FValor)
    Q_PROPERTY(TNo* Proximo MEMBER FProximo)

public:
    int FValor = 0;
    TNo* FProximo = nullptr;
};

namespace {

int gUltimoAviso = 0;
void AvisoDaPessoa(int) { gUltimoAviso = 1; }
void AvisoDoCliente(int) { gUltimoAviso = 2; }

class ObjectsAssignerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterDefaultAssignments();
        FPessoa.setObjectName("pessoa");
        FPessoa.FNome = "Ana";
        FPessoa.FIdade = 41;
        FPessoa.FCodigo = 7;
        FPessoa.FApelido = "Aninha";
        FPessoa.FContagem = 3;
        FPessoa.FExibicao = "pessoa";
        FPessoa.FAviso = &AvisoDaPessoa;
        FPessoa.FRetorno = [this] { FChamou = "pessoa"; };
        FPessoa.FContato = &FEnderecoPessoa;
        FCliente.FAviso = &AvisoDoCliente;
        FCliente.FRetorno = [this] { FChamou = "cliente"; };
    }

    TObjectsAssigner FAssigner;
    TPessoa FPessoa;
    TCliente FCliente;
    TEndereco FEnderecoPessoa;
    QString FChamou;
};

struct TRegraCopia {
    const char* Propriedade;
    bool Copiada;
};

class CopyRules : public ObjectsAssignerTest,
                  public ::testing::WithParamInterface<TRegraCopia> {};

TEST_P(CopyRules, CopiesOnlyMatchingReadableWritableValuesOfTheSameType)
{
    const char* nome = GetParam().Propriedade;
    const QVariant esperado = GetParam().Copiada ? FPessoa.property(nome) : FCliente.property(nome);
    FAssigner.Assign(FPessoa, FCliente);
    EXPECT_EQ(FCliente.property(nome), esperado) << nome;
}

INSTANTIATE_TEST_SUITE_P(
    ObjectsAssigner, CopyRules,
    ::testing::Values(TRegraCopia{"Nome", true}, TRegraCopia{"Idade", true},
                      // 32-bit into 64-bit: the types differ.
                      TRegraCopia{"Codigo", false},
                      // Only on the destination.
                      TRegraCopia{"Limite", false},
                      // Ignored names, whatever the letter case on either side.
                      TRegraCopia{"Count", false}, TRegraCopia{"DisplayName", false},
                      // A callback.
                      TRegraCopia{"Aviso", false},
                      // An object on the source, a text on the destination.
                      TRegraCopia{"Contato", false},
                      // QObject's own: it names the instance, it is not its state.
                      TRegraCopia{"objectName", false}),
    [](const auto& AInfo) { return std::string(AInfo.param.Propriedade); });

TEST_F(ObjectsAssignerTest, CallbacksStayWithTheirObject)
{
    FAssigner.Assign(FPessoa, FCliente);
    FCliente.FAviso(0);
    FCliente.FRetorno();
    EXPECT_EQ(gUltimoAviso, 2);
    EXPECT_EQ(FChamou, "cliente");
}

TEST_F(ObjectsAssignerTest, AssigningAnObjectToItselfWritesNothing)
{
    FAssigner.Assign(FPessoa, FPessoa);
    EXPECT_EQ(FPessoa.FEscritas, 0);
    EXPECT_EQ(FPessoa.FNome, "Ana");
}

// Which object each side's Endereco holds; the destination's pointer must never change and
// its object is filled only from a different, present source object.
enum class TLadoEndereco { Nenhum, Proprio, Compartilhado };

struct TCasoObjeto {
    const char* Nome;
    TLadoEndereco Origem;
    TLadoEndereco Destino;
    bool Preenchido;
};

class ObjectProperties : public ObjectsAssignerTest,
                         public ::testing::WithParamInterface<TCasoObjeto> {};

TEST_P(ObjectProperties, FillTheDestinationsOwnObject)
{
    TEndereco daOrigem, doDestino, compartilhado;
    daOrigem.FRua = "Rua A";
    daOrigem.FNumero = 10;
    compartilhado.FRua = "Rua C";
    doDestino.FRua = "Rua D";
    const auto escolher = [&](TLadoEndereco ALado, TEndereco* AProprio) -> TEndereco* {
        switch (ALado) {
        case TLadoEndereco::Nenhum:
            return nullptr;
        case TLadoEndereco::Proprio:
            return AProprio;
        case TLadoEndereco::Compartilhado:
            return &compartilhado;
        }
        return nullptr;
    };
    FPessoa.FEndereco = escolher(GetParam().Origem, &daOrigem);
    TEndereco* const antes = FCliente.FEndereco = escolher(GetParam().Destino, &doDestino);

    FAssigner.Assign(FPessoa, FCliente);

    EXPECT_EQ(FCliente.FEndereco, antes);
    EXPECT_EQ(FPessoa.FEndereco, escolher(GetParam().Origem, &daOrigem));
    EXPECT_EQ(compartilhado.FRua, "Rua C");
    if (GetParam().Preenchido) {
        EXPECT_EQ(doDestino.FRua, "Rua A");
        EXPECT_EQ(doDestino.FNumero, 10);
    } else {
        EXPECT_EQ(doDestino.FRua, "Rua D");
    }
    EXPECT_EQ(FCliente.FNome, "Ana");
}

INSTANTIATE_TEST_SUITE_P(
    ObjectsAssigner, ObjectProperties,
    ::testing::Values(
        TCasoObjeto{"Filled", TLadoEndereco::Proprio, TLadoEndereco::Proprio, true},
        TCasoObjeto{"SourceHoldsNone", TLadoEndereco::Nenhum, TLadoEndereco::Proprio, false},
        TCasoObjeto{"DestinationHoldsNone", TLadoEndereco::Proprio, TLadoEndereco::Nenhum, false},
        TCasoObjeto{"BothHoldTheSame", TLadoEndereco::Compartilhado,
                    TLadoEndereco::Compartilhado, false}),
    [](const auto& AInfo) { return std::string(AInfo.param.Nome); });

TEST(ObjectsAssignerGraph, SelfReferencingClassFillsTheDestinationChain)
{
    TNo n1, n2, n3, m1, m2;
    n1.FValor = 1;
    n2.FValor = 2;
    n3.FValor = 3;
    n1.FProximo = &n2;
    n2.FProximo = &n3;
    m1.FProximo = &m2;

    TObjectsAssigner assigner;
    assigner.Assign(n1, m1);

    EXPECT_EQ(m1.FValor, 1);
    EXPECT_EQ(m2.FValor, 2);
    EXPECT_EQ(m1.FProximo, &m2);
    EXPECT_EQ(m2.FProximo, nullptr);
}

TEST(ObjectsAssignerGraph, CycleFailsInsteadOfRecursingWithoutEnd)
{
    TNo origem, destino;
    origem.FValor = 5;
    origem.FProximo = &origem;
    destino.FProximo = &destino;

    TObjectsAssigner assigner;
    EXPECT_THROW(assigner.Assign(origem, destino), EAssignError);

    // The failed copy leaves nothing behind that would stop the same pair next time.
    origem.FProximo = nullptr;
    assigner.Assign(origem, destino);
    EXPECT_EQ(destino.FValor, 5);
}

TEST_F(ObjectsAssignerTest, AddedInstructionRunsAfterTheDefaultsAndItsFailurePropagates)
{
    const QMetaObject& pessoa = TPessoa::staticMetaObject;
    const QMetaObject& cliente = TCliente::staticMetaObject;
    FAssigner.AddInstruction(
        pessoa, cliente,
        std::make_unique<TObjectsAssigner::TRttiPropertyAssignInstruction>(
            pessoa.property(pessoa.indexOfProperty("Nome")),
            cliente.property(cliente.indexOfProperty("Resumo"))));

    EXPECT_THROW(FAssigner.Assign(FPessoa, FCliente), EAssignError);
    // What ran before the failure keeps its effect.
    EXPECT_EQ(FCliente.FNome, "Ana");
    EXPECT_EQ(FCliente.FIdade, 41);
}

struct TNomeIgnorado {
    const char* Nome;
    bool Ignorado;
};

class IgnoreList : public ::testing::TestWithParam<TNomeIgnorado> {};

TEST_P(IgnoreList, ComparesWithoutRegardToCase)
{
    RegisterDefaultAssignments();
    EXPECT_EQ(TObjectsAssigner().HasIgnoreProperty(GetParam().Nome), GetParam().Ignorado);
}

INSTANTIATE_TEST_SUITE_P(ObjectsAssigner, IgnoreList,
                         ::testing::Values(TNomeIgnorado{"Capacity", true},
                                           TNomeIgnorado{"count", true},
                                           TNomeIgnorado{"INDEX", true},
                                           TNomeIgnorado{"Owner", true},
                                           TNomeIgnorado{"collection", true},
                                           TNomeIgnorado{"displayName", true},
                                           TNomeIgnorado{"Nome", false},
                                           TNomeIgnorado{"Counts", false}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Nome); });

} // namespace

#include "ObjectsAssignerTest.moc"
