#pragma once

#include <string>

// Where the trigger generation reports a trigger the server rejected. The message is the
// table's name, CR LF, the error's message, CR LF and the trigger text. The call returns once
// the operator has seen it; the generation then goes on with the next table.
class IRelatorioFalhaGatilho {
public:
    virtual ~IRelatorioFalhaGatilho() = default;
    virtual void FalhaGatilho(const std::string& mensagem) = 0;
};
