#pragma once

#include "ResumoMigracao.h"

#include <QTableWidget>

#include <vector>

// The last run's summary as a table: one row per table of the run with its rows, seconds,
// rows per second, way and proof; sorted by a click on a column's header (the figures as
// numbers), and the selected rows copied with Ctrl+C as tab-separated text under a header row,
// ready for a spreadsheet.
class TTabelaResumo : public QTableWidget {
    Q_OBJECT

public:
    explicit TTabelaResumo(QWidget* AParent = nullptr);

    void Mostrar(const std::vector<TResumoTabela>& ATabelas);
    void Limpar();

    // The selected rows in the order they are shown, under the columns' names; each line ends
    // with a line break.
    QString TextoSelecionado() const;

protected:
    void keyPressEvent(QKeyEvent* AEvento) override;

private:
    void Ordenar(int AColuna, Qt::SortOrder AOrdem);
};
