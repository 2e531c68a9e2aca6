#pragma once

class TAcompanhamentoMigracao;
class TCancelamento;
class TConexao;

// What every step of a run works with: the two databases, the displays, and the stop request
// that the steps honour between two statements.
struct TContextoMigracao {
    TConexao& ConexaoOrigem;
    TConexao& ConexaoDestino;
    TAcompanhamentoMigracao& Acompanhamento;
    const TCancelamento& Cancelamento;
};
