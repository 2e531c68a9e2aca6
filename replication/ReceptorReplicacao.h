#pragma once

class TReplicacaoTabela;

// Whoever follows the trigger generation table by table (a window, typically). Notified
// synchronously, with WM_REPLICACAO_TABELA, before each table is processed; the table is valid
// only during the call.
class IReceptorReplicacao {
public:
    virtual ~IReceptorReplicacao() = default;
    virtual void Notificar(unsigned mensagem, const TReplicacaoTabela& tabela) = 0;
};
