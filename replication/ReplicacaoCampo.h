#pragma once

#include <string>

// One replicated column of a table, as the database catalogue names it.
class TReplicacaoCampo {
public:
    explicit TReplicacaoCampo(std::string nome);

    const std::string& Nome() const noexcept { return FNome; }
    bool EhChavePrimaria() const noexcept { return FEhChavePrimaria; }

private:
    friend class TReplicacaoTabela;

    std::string FNome;
    bool FEhChavePrimaria = false;
};
