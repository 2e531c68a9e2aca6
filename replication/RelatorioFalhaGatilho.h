#pragma once

#include <string>

// Where the trigger generation reports a table whose trigger could not be installed. The
// message is the table's name, CR LF, why (the server's error, or the table's own lack when
// no statement was sent), CR LF, and the statement the server refused (empty when none was
// sent). The call returns once the operator has seen it; the generation then goes on with the
// next table.
class IRelatorioFalhaGatilho {
public:
    virtual ~IRelatorioFalhaGatilho() = default;
    virtual void FalhaGatilho(const std::string& tabela, const std::string& mensagem) = 0;
};
