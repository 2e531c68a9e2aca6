#include "ObjectsAssigner.h"

#include "AssignError.h"
#include "AssignInstruction.h"
#include "PropertyTypeInfo.h"
#include "RttiPropertyAssignByProc.h"
#include "RttiPropertyAssignCollection.h"
#include "RttiPropertyAssignInstruction.h"
#include "RttiPropertyAssignObject.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool MenorSemCaixa(const QString& A, const QString& B)
{
    return QString::compare(A, B, Qt::CaseInsensitive) < 0;
}

// The process-wide registrations, created with their defaults on first use and freed at
// process end.
struct TRegistros {
    std::map<std::pair<const QMetaObject*, const QMetaObject*>,
             TObjectsAssigner::TObjectAssignProcedure>
        Atribuicoes;
    std::map<const QMetaObject*, TObjectsAssigner::TObjectDisambiguateProcedure> Desempates;
    // Sorted without regard to case.
    std::vector<QString> NomesIgnorados;
    std::vector<TObjectsAssigner::TGetInstructionsProc> Provedores;

    TRegistros()
    {
        for (const char* nome :
             {"Capacity", "Count", "Index", "Owner", "Collection", "DisplayName"})
            IgnorarNome(QString::fromLatin1(nome));
        Provedores.push_back(
            &TObjectsAssigner::TRttiPropertyAssignCollection::GetCollectionInstructions);
    }

    void IgnorarNome(const QString& ANome)
    {
        const auto posicao =
            std::lower_bound(NomesIgnorados.begin(), NomesIgnorados.end(), ANome, MenorSemCaixa);
        if (posicao == NomesIgnorados.end() || MenorSemCaixa(ANome, *posicao))
            NomesIgnorados.insert(posicao, ANome);
    }

    bool Ignorado(const QString& ANome) const
    {
        return std::binary_search(NomesIgnorados.begin(), NomesIgnorados.end(), ANome,
                                  MenorSemCaixa);
    }
};

TRegistros& Registros()
{
    static TRegistros registros;
    return registros;
}

template <typename TProcedimento>
void ExigirProcedimento(TProcedimento AProc)
{
    if (AProc == nullptr)
        throw std::invalid_argument("Procedimento de atribuição ausente");
}

QString NomeClasse(const QObject& AObjeto)
{
    return QString::fromLatin1(AObjeto.metaObject()->className());
}

} // namespace

bool TObjectsAssigner::TCaseInsensitiveLess::operator()(const QString& A, const QString& B) const
{
    return MenorSemCaixa(A, B);
}

TObjectsAssigner::TObjectsAssigner() = default;

TObjectsAssigner::~TObjectsAssigner() = default;

void TObjectsAssigner::Assign(QObject& Source, QObject& Dest)
{
    if (&Source == &Dest)
        return;
    ExecuteInstructions(Source, Dest, GetInstructions(*Source.metaObject(), *Dest.metaObject()));
}

void TObjectsAssigner::AddInstruction(const QMetaObject& SourceClass,
                                      const QMetaObject& DestClass,
                                      std::unique_ptr<TAssignInstruction> AInstruction)
{
    if (!AInstruction)
        throw std::invalid_argument("Instrução de atribuição ausente");
    GetInstructions(SourceClass, DestClass).push_back(std::move(AInstruction));
}

bool TObjectsAssigner::HasIgnoreProperty(const QString& PropName) const
{
    return Registros().Ignorado(PropName);
}

void TObjectsAssigner::AddAssign(const QMetaObject& SourceClass, const QMetaObject& DestClass,
                                 TObjectAssignProcedure AssignProc)
{
    ExigirProcedimento(AssignProc);
    Registros().Atribuicoes[{&SourceClass, &DestClass}] = AssignProc;
}

void TObjectsAssigner::AddDisambiguateProc(const QMetaObject& ObjClass,
                                           TObjectDisambiguateProcedure AProc)
{
    ExigirProcedimento(AProc);
    Registros().Desempates[&ObjClass] = AProc;
}

void TObjectsAssigner::AddGetInstructionsProc(TGetInstructionsProc AProc)
{
    ExigirProcedimento(AProc);
    Registros().Provedores.push_back(AProc);
}

void TObjectsAssigner::AddIgnoreProperty(const QString& AName)
{
    Registros().IgnorarNome(AName);
}

// The list is cached before it is filled, so that a class referring to itself, or two classes
// referring to each other, get the list under construction instead of recursing without end.
// A build that fails takes its list back out of the cache, together with every list started
// while it ran (only those can refer to it): a half-filled list left behind would make every
// later copy between these classes quietly incomplete.
TObjectsAssigner::TInstructionList&
TObjectsAssigner::GetInstructions(const QMetaObject& SourceClass, const QMetaObject& DestClass)
{
    const TClassPair par{&SourceClass, &DestClass};
    if (const auto existente = fInstructions.find(par); existente != fInstructions.end())
        return existente->second;

    const std::size_t inicio = fInstructionsOrder.size();
    TInstructionList& lista = fInstructions[par];
    fInstructionsOrder.push_back(par);
    try {
        FillInstructions(SourceClass, DestClass, lista);
    } catch (...) {
        DiscardInstructionsFrom(inicio);
        throw;
    }
    return lista;
}

void TObjectsAssigner::DiscardInstructionsFrom(std::size_t APosition) noexcept
{
    for (std::size_t i = APosition; i < fInstructionsOrder.size(); ++i)
        fInstructions.erase(fInstructionsOrder[i]);
    fInstructionsOrder.resize(APosition);
}

// The registered procedure for the pair comes first, then the providers from the last
// registered to the first, then the property copies (unless a provider cancelled them).
void TObjectsAssigner::FillInstructions(const QMetaObject& SourceClass,
                                        const QMetaObject& DestClass,
                                        TInstructionList& AInstructions)
{
    const TRegistros& registros = Registros();
    if (const auto atribuicao = registros.Atribuicoes.find({&SourceClass, &DestClass});
        atribuicao != registros.Atribuicoes.end())
        AInstructions.push_back(std::make_unique<TRttiPropertyAssignByProc>(atribuicao->second));

    bool cancelado = false;
    bool handled = false;
    // By index: a provider may register another one, which is then not asked this time.
    for (std::size_t i = registros.Provedores.size(); i > 0 && !handled; --i) {
        bool cancel = false;
        registros.Provedores[i - 1](*this, SourceClass, DestClass, AInstructions, cancel,
                                    handled);
        cancelado = cancelado || cancel;
    }
    if (cancelado)
        return;

    const TPropertyTable& propriedadesOrigem = GetProperties(SourceClass);
    const TPropertyTable& propriedadesDestino = GetProperties(DestClass);
    for (const auto& [nome, origem] : propriedadesOrigem) {
        const auto encontrada = propriedadesDestino.find(nome);
        if (encontrada == propriedadesDestino.end())
            continue;
        const QMetaProperty& destino = encontrada->second;
        if (!TPropertyTypeInfo::IsClassType(origem)) {
            if (origem.metaType() == destino.metaType() && origem.isReadable() &&
                destino.isWritable())
                AInstructions.push_back(
                    std::make_unique<TRttiPropertyAssignInstruction>(origem, destino));
        } else if (TPropertyTypeInfo::IsClassType(destino)) {
            // The declared classes, not those of the objects held at copy time: the list is
            // built once for every object the properties may hold.
            const TInstructionList& subInstrucoes = GetInstructions(
                TPropertyTypeInfo::ClassOf(origem), TPropertyTypeInfo::ClassOf(destino));
            AInstructions.push_back(
                std::make_unique<TRttiPropertyAssignObject>(origem, destino, subInstrucoes));
        }
    }
}

// As with the lists, a table whose build fails is not kept half-filled.
const TObjectsAssigner::TPropertyTable& TObjectsAssigner::GetProperties(const QMetaObject& AClass)
{
    if (const auto existente = fProperties.find(&AClass); existente != fProperties.end())
        return existente->second;

    TPropertyTable& tabela = fProperties[&AClass];
    try {
        FillProperties(AClass, tabela);
    } catch (...) {
        fProperties.erase(&AClass);
        throw;
    }
    return tabela;
}

// The class's own properties first, then its parent's, up to QObject. QObject's own
// objectName names an instance rather than describing its state, so it is left out.
void TObjectsAssigner::FillProperties(const QMetaObject& AClass, TPropertyTable& ATable)
{
    const TRegistros& registros = Registros();
    const auto desempate = registros.Desempates.find(&AClass);
    for (const QMetaObject* classe = &AClass;
         classe != nullptr && classe != &QObject::staticMetaObject; classe = classe->superClass()) {
        for (int i = classe->propertyOffset(); i < classe->propertyCount(); ++i) {
            const QMetaProperty propriedade = classe->property(i);
            const QString nome = QString::fromLatin1(propriedade.name());
            if (TPropertyTypeInfo::IsProcedureType(propriedade) || registros.Ignorado(nome))
                continue;
            const auto [entrada, nova] = ATable.try_emplace(nome, propriedade);
            if (nova || desempate == registros.Desempates.end())
                continue;
            QMetaProperty escolhida = entrada->second;
            desempate->second(*this, AClass, entrada->second, propriedade, escolhida);
            if (!escolhida.isValid())
                ATable.erase(entrada);
            else
                entrada->second = escolhida;
        }
    }
}

// Cancel starts false once per run and ends the run after the instruction that set it. A copy
// of a pair that is already under way can only come from a cycle in the object graph, which
// would otherwise recurse until the stack runs out.
void TObjectsAssigner::ExecuteInstructions(QObject& Source, QObject& Dest,
                                           const TInstructionList& AInstructions)
{
    const std::pair<const QObject*, const QObject*> par{&Source, &Dest};
    if (!fRunning.insert(par).second)
        throw EAssignError(
            QStringLiteral("O objeto %1 já está sendo copiado para este %2: o grafo de objetos "
                           "tem um ciclo.")
                .arg(NomeClasse(Source), NomeClasse(Dest)));
    struct TFimExecucao {
        std::set<std::pair<const QObject*, const QObject*>>& Em;
        std::pair<const QObject*, const QObject*> Par;
        ~TFimExecucao() { Em.erase(Par); }
    } fim{fRunning, par};

    bool Cancel = false;
    // By index: an instruction may append to this very list through AddInstruction.
    for (std::size_t i = 0; i < AInstructions.size() && !Cancel; ++i)
        AInstructions[i]->Execute(*this, Source, Dest, Cancel);
}

void RegisterDefaultAssignments()
{
    Registros();
}
