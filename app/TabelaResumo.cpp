#include "TabelaResumo.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// A cell shown as text and sorted by a number of its own, so that 9 comes before 10.
class TItemNumerico : public QTableWidgetItem {
public:
    TItemNumerico(const QString& ATexto, double AValor) : QTableWidgetItem(ATexto)
    {
        setData(Qt::UserRole, AValor);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    bool operator<(const QTableWidgetItem& AOutro) const override
    {
        return data(Qt::UserRole).toDouble() < AOutro.data(Qt::UserRole).toDouble();
    }
};

QTableWidgetItem* Item(const QString& ATexto)
{
    auto* item = new QTableWidgetItem(ATexto);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidgetItem* Numero(const QString& ATexto, double AValor)
{
    auto* item = new TItemNumerico(ATexto, AValor);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

TTabelaResumo::TTabelaResumo(QWidget* AParent) : QTableWidget(AParent)
{
    setObjectName(QStringLiteral("grdResumo"));
    setColumnCount(6);
    setHorizontalHeaderLabels({QStringLiteral("Tabela"), QStringLiteral("Linhas"),
                               QStringLiteral("Segundos"), QStringLiteral("Linhas/s"),
                               QStringLiteral("Caminho"), QStringLiteral("Conferência")});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sorted only on a click, so that a new summary shows in the run's own order.
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &TTabelaResumo::Ordenar);
    verticalHeader()->setVisible(false);
    // Rows as close as the log's lines, so that a run's tables fit in view.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
}

void TTabelaResumo::Mostrar(const std::vector<TResumoTabela>& ATabelas)
{
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    clearContents();
    setRowCount(static_cast<int>(ATabelas.size()));
    for (int linha = 0; linha < rowCount(); ++linha) {
        const TResumoTabela& tabela = ATabelas[static_cast<std::size_t>(linha)];
        const double porSegundo = std::round(tabela.LinhasPorSegundo());
        setItem(linha, 0, Item(QString::fromStdString(tabela.Tabela)));
        setItem(linha, 1, Numero(QString::number(tabela.Linhas), static_cast<double>(tabela.Linhas)));
        setItem(linha, 2, Numero(QString::fromStdString(TResumoMigracao::FormatarSegundos(tabela.Segundos)),
                                 tabela.Segundos));
        setItem(linha, 3, Numero(QString::number(static_cast<qint64>(porSegundo)), porSegundo));
        setItem(linha, 4, Item(QString::fromUtf8(TResumoTabela::TextoCaminho(tabela.Caminho))));
        setItem(linha, 5, Item(QString::fromUtf8(TResumoTabela::TextoConferencia(tabela.Conferencia))));
    }
    resizeColumnsToContents();
}

// The header turns its indicator at each click (a second click on a column reverses it); no
// column is the run's own order.
void TTabelaResumo::Ordenar(int AColuna, Qt::SortOrder AOrdem)
{
    if (AColuna >= 0)
        sortItems(AColuna, AOrdem);
}

void TTabelaResumo::Limpar()
{
    clearContents();
    setRowCount(0);
}

QString TTabelaResumo::TextoSelecionado() const
{
    std::vector<int> linhas;
    for (const QModelIndex& indice : selectionModel()->selectedRows())
        linhas.push_back(indice.row());
    std::sort(linhas.begin(), linhas.end());
    QStringList cabecalho;
    for (int coluna = 0; coluna < columnCount(); ++coluna)
        cabecalho << horizontalHeaderItem(coluna)->text();
    QString texto = cabecalho.join('\t') + '\n';
    for (int linha : linhas) {
        QStringList celulas;
        for (int coluna = 0; coluna < columnCount(); ++coluna)
            celulas << item(linha, coluna)->text();
        texto += celulas.join('\t') + '\n';
    }
    return texto;
}

void TTabelaResumo::keyPressEvent(QKeyEvent* AEvento)
{
    if (AEvento->matches(QKeySequence::Copy)) {
        if (selectionModel()->hasSelection())
            QApplication::clipboard()->setText(TextoSelecionado());
        AEvento->accept();
        return;
    }
    QTableWidget::keyPressEvent(AEvento);
}
