#include "Collection.h"
#include "CollectionItem.h"
#include "AssignError.h"
#include "ObjectsAssigner.h"
#include "RttiPropertyAssignCollection.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

class TItemPedido : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Descricao MEMBER FDescricao)
    Q_PROPERTY(int Quantidade MEMBER FQuantidade)

public:
    Q_INVOKABLE TItemPedido() = default;

    QString FDescricao;
    int FQuantidade = 0;
};

// Another item class on the destination, so that the copy has to make items of the
// destination's own class.
class TItemResumo : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Descricao MEMBER FDescricao)

public:
    Q_INVOKABLE TItemResumo() = default;

    QString FDescricao;
};

class TPedido : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Numero MEMBER FNumero)
    Q_PROPERTY(TCollection* Itens READ Itens)

public:
    TCollection* Itens() { return &FItens; }

    QString FNumero;
    TCollection FItens{TItemPedido::staticMetaObject, this};
};

class TResumo : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Numero MEMBER FNumero)
    Q_PROPERTY(TCollection* Itens READ Itens)

public:
    TCollection* Itens() { return &FItens; }

    QString FNumero;
    TCollection FItens{TItemResumo::staticMetaObject, this};
};

namespace {

TItemPedido& NovoItem(TCollection& AItens, const QString& ADescricao, int AQuantidade)
{
    auto& item = static_cast<TItemPedido&>(AItens.Add());
    item.FDescricao = ADescricao;
    item.FQuantidade = AQuantidade;
    return item;
}

std::vector<QString> Descricoes(const TCollection& AItens)
{
    std::vector<QString> descricoes;
    for (int i = 0; i < AItens.Count(); ++i)
        descricoes.push_back(AItens.Items(i).property("Descricao").toString());
    return descricoes;
}

TEST(TCollection, AddMakesItemsOfTheItemClassThatKnowTheirPlace)
{
    TPedido pedido;
    NovoItem(pedido.FItens, "a", 1);
    TCollectionItem& segundo = pedido.FItens.Add();

    EXPECT_EQ(pedido.FItens.Count(), 2);
    EXPECT_EQ(pedido.FItens.Owner(), &pedido);
    EXPECT_EQ(segundo.metaObject(), &TItemPedido::staticMetaObject);
    EXPECT_EQ(segundo.Collection(), &pedido.FItens);
    EXPECT_EQ(segundo.Index(), 1);
    EXPECT_EQ(&pedido.FItens.Items(1), &segundo);
    EXPECT_THROW(pedido.FItens.Items(2), std::out_of_range);
    EXPECT_THROW(pedido.FItens.Items(-1), std::out_of_range);
}

TEST(TCollection, RefusesAClassItCannotMakeItemsOf)
{
    // A plain object, and the item base, which has no invocable default constructor.
    EXPECT_THROW(TCollection(QObject::staticMetaObject), std::invalid_argument);
    EXPECT_THROW(TCollection(TCollectionItem::staticMetaObject), std::invalid_argument);
}

TEST(CollectionAssign, AppendsCopiesAfterExistingItemsAndDoublesOnASecondAssign)
{
    RegisterDefaultAssignments();
    RegisterDefaultAssignments();
    TPedido pedido;
    pedido.FNumero = "P1";
    NovoItem(pedido.FItens, "a", 1);
    NovoItem(pedido.FItens, "b", 2);
    TResumo resumo;
    resumo.FItens.Add().setProperty("Descricao", "existente");
    TCollection* const itensAntes = resumo.Itens();

    TObjectsAssigner assigner;
    assigner.Assign(pedido, resumo);
    EXPECT_EQ(Descricoes(resumo.FItens), (std::vector<QString>{"existente", "a", "b"}));
    EXPECT_EQ(resumo.FNumero, "P1");
    EXPECT_EQ(resumo.Itens(), itensAntes);
    EXPECT_EQ(resumo.FItens.Items(1).metaObject(), &TItemResumo::staticMetaObject);
    EXPECT_EQ(resumo.FItens.Items(2).Collection(), &resumo.FItens);
    EXPECT_EQ(pedido.FItens.Count(), 2);

    assigner.Assign(pedido, resumo);
    EXPECT_EQ(Descricoes(resumo.FItens),
              (std::vector<QString>{"existente", "a", "b", "a", "b"}));
}

TEST(CollectionAssign, CopiesItemsOfTheSameClassWholly)
{
    TCollection origem(TItemPedido::staticMetaObject);
    NovoItem(origem, "x", 5);
    TCollection destino(TItemPedido::staticMetaObject);

    TObjectsAssigner().Assign(origem, destino);

    ASSERT_EQ(destino.Count(), 1);
    const auto& copia = static_cast<const TItemPedido&>(destino.Items(0));
    EXPECT_EQ(copia.FDescricao, "x");
    EXPECT_EQ(copia.FQuantidade, 5);
    EXPECT_NE(&copia, &origem.Items(0));
}

TEST(CollectionAssign, CollectionInstructionGivenOtherObjectsFails)
{
    TObjectsAssigner assigner;
    assigner.AddInstruction(TPedido::staticMetaObject, TResumo::staticMetaObject,
                            std::make_unique<TObjectsAssigner::TRttiPropertyAssignCollection>());
    TPedido pedido;
    TResumo resumo;
    EXPECT_THROW(assigner.Assign(pedido, resumo), EAssignError);
}

} // namespace

#include "CollectionTest.moc"
