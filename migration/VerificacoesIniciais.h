#pragma once

#include "ContextoMigracao.h"

#include <string>

// The checks and the preparation before anything in the destination is touched: the schema
// versions of both databases must match, and the source's NULL yes/no values become 'N'.
class TVerificacoesIniciais {
public:
    explicit TVerificacoesIniciais(const TContextoMigracao& contexto) : FContexto(contexto) {}

    // Compares the schema versions; on a mismatch shows the message through the report's
    // abandonment and returns false. A database that cannot be read fails with EBancoDados,
    // its message opened by "Banco de dados de ORIGEM" (or DESTINO) and the path.
    bool ValidarVersao();

    // Fills every NULL of a "LOGICO" column of the source's tables with 'N'. Views are left
    // alone: a read-only view cannot be updated, and its rows are the tables' rows anyway.
    void PreencherCamposBooleanos();

    // The schema version a database carries, "" when it has no script row of the right form.
    static std::string LerVersao(TConexao& conexao);

private:
    TContextoMigracao FContexto;
};
