#pragma once

#include "Conexao.h"

#include <string>

namespace Firebird {
class ITransaction;
}

// Another user's read-committed transaction on a database, open from its construction until
// Commit: it sees what others commit meanwhile and may change it, under a transaction number
// older than theirs.
class TEscritorConcorrente {
public:
    explicit TEscritorConcorrente(const std::string& banco);
    ~TEscritorConcorrente();
    TEscritorConcorrente(const TEscritorConcorrente&) = delete;
    TEscritorConcorrente& operator=(const TEscritorConcorrente&) = delete;

    void Executar(const std::string& sql);
    void Commit();

private:
    TConexao FConexao;
    Firebird::ITransaction* FTransacao = nullptr;
};
