#include "ExplicacaoFalha.h"

#include "ErroBancoDados.h"

#include <firebird/Interface.h>

#include <algorithm>
#include <initializer_list>

namespace {

bool TemAlgum(const EBancoDados& erro, std::initializer_list<std::intptr_t> codigos)
{
    return std::any_of(codigos.begin(), codigos.end(),
                       [&erro](std::intptr_t codigo) { return erro.TemCodigo(codigo); });
}

// The name that follows a marker in the server's text, quoted or bare: the constraint of
// 'constraint "FK_X"' or the table of 'on table "T"'.
std::string NomeApos(const std::string& texto, const std::string& marca)
{
    std::size_t i = texto.find(marca);
    if (i == std::string::npos)
        return {};
    i += marca.size();
    if (i < texto.size() && texto[i] == '"') {
        const std::size_t fim = texto.find('"', i + 1);
        return fim == std::string::npos ? std::string() : texto.substr(i + 1, fim - i - 1);
    }
    const std::size_t fim = texto.find_first_of(" \r\n,", i);
    return texto.substr(i, fim == std::string::npos ? std::string::npos : fim - i);
}

// The key value the server names for a repeated key or a missing parent: ("COL" = 5).
std::string ValorProblematico(const std::string& texto)
{
    static const std::string Marca = "Problematic key value is ";
    const std::size_t i = texto.find(Marca);
    if (i == std::string::npos)
        return {};
    const std::size_t fim = texto.find_first_of("\r\n", i);
    return texto.substr(i + Marca.size(),
                        fim == std::string::npos ? std::string::npos : fim - i - Marca.size());
}

// "T"."C" of a validation message, as table and column.
void TabelaColunaValidacao(const std::string& texto, std::string& tabela, std::string& coluna)
{
    static const std::string Marca = "validation error for column \"";
    std::size_t i = texto.find(Marca);
    if (i == std::string::npos)
        return;
    i += Marca.size();
    const std::size_t fim = texto.find('"', i);
    if (fim == std::string::npos)
        return;
    const std::string primeiro = texto.substr(i, fim - i);
    if (texto.compare(fim, 3, "\".\"") == 0) {
        const std::size_t fimColuna = texto.find('"', fim + 3);
        tabela = primeiro;
        coluna = texto.substr(fim + 3, fimColuna == std::string::npos ? std::string::npos
                                                                      : fimColuna - fim - 3);
    } else {
        coluna = primeiro;
    }
}

std::string DaLinha(const EBancoDados& erro)
{
    return erro.Chave().empty() ? std::string() : " (linha de chave " + erro.Chave() + ")";
}

std::string Tabela(const EBancoDados& erro, const std::string& daMensagem)
{
    return erro.Tabela().empty() ? daMensagem : erro.Tabela();
}

// What the next command does after the operator has corrected the cause.
std::string Proximo(TMomentoFalha momento, TInterfaceComando interface)
{
    const bool janela = interface == TInterfaceComando::Janela;
    switch (momento) {
    case TMomentoFalha::AntesDeAlterar:
        return janela ? "clique em \"Iniciar\" novamente; nada foi alterado."
                      : "execute o comando novamente; nada foi alterado.";
    case TMomentoFalha::Verificacao:
        return janela ? "clique em \"Verificar\" novamente; nada foi alterado."
                      : "execute a verificação novamente; nada foi alterado.";
    case TMomentoFalha::Importacao:
        break;
    }
    return janela ? "clique em \"Iniciar\" novamente; a próxima importação completa o DESTINO."
                  : "execute o comando novamente; a próxima importação completa o DESTINO.";
}

} // namespace

std::string TExplicacaoFalha::Explicar(const EBancoDados& erro, TMomentoFalha momento,
                                       TInterfaceComando interface)
{
    const std::string texto = erro.what();
    const std::string proximo = Proximo(momento, interface);

    if (erro.TemCodigo(isc_string_truncation)) {
        const std::string tabela = Tabela(erro, {});
        std::string fato = "Texto longo demais";
        if (!erro.ColunaExcedida().empty())
            fato += ": a coluna " + erro.ColunaExcedida() + (tabela.empty() ? "" : " da tabela " + tabela) +
                    DaLinha(erro) + " tem na ORIGEM um texto de " + std::to_string(erro.Caracteres()) +
                    " caracteres, e o DESTINO comporta " + std::to_string(erro.Capacidade()) + ".";
        else
            fato += (tabela.empty() ? std::string(": um texto") : ": um texto da tabela " + tabela) +
                    DaLinha(erro) + " não cabe na sua coluna do DESTINO.";
        return fato + "\r\nEncurte esse texto na ORIGEM (ou aumente a coluna no DESTINO) e " + proximo;
    }

    if (erro.TemCodigo(isc_not_valid) && texto.find("*** null ***") != std::string::npos) {
        std::string tabela, coluna;
        TabelaColunaValidacao(texto, tabela, coluna);
        tabela = Tabela(erro, tabela);
        return "Valor obrigatório ausente: a coluna " + coluna +
               (tabela.empty() ? "" : " da tabela " + tabela) +
               " não aceita nulo no DESTINO, e a linha" +
               (erro.Chave().empty() ? std::string() : " de chave " + erro.Chave()) +
               " da ORIGEM não tem valor nela.\r\nPreencha essa coluna na ORIGEM (ou permita nulo "
               "nela no DESTINO) e " +
               proximo;
    }

    if (TemAlgum(erro, {isc_unique_key_violation, isc_no_dup})) {
        const std::string tabela = Tabela(erro, NomeApos(texto, "on table "));
        const std::string restricao = erro.TemCodigo(isc_no_dup) ? NomeApos(texto, "unique index ")
                                                                 : NomeApos(texto, "constraint ");
        const std::string valor = ValorProblematico(texto);
        return "Chave repetida: a tabela " + tabela + " recebeu duas linhas com o mesmo valor em " +
               restricao + (valor.empty() ? "" : ", " + valor) + DaLinha(erro) +
               ".\r\nExclua ou corrija a linha repetida na ORIGEM e " + proximo;
    }

    if (erro.TemCodigo(isc_foreign_key)) {
        const std::string tabela = Tabela(erro, NomeApos(texto, "on table "));
        const std::string valor = ValorProblematico(texto);
        return "Registro pai ausente: linhas da tabela " + tabela +
               " apontam, pela chave estrangeira " + NomeApos(texto, "constraint ") +
               ", para um registro que não existe" + (valor.empty() ? "" : " (" + valor + ")") +
               ".\r\nCadastre o registro pai ou corrija essas linhas na ORIGEM e " + proximo;
    }

    if (erro.TemCodigo(isc_check_constraint)) {
        // The server does not always fill the names in.
        const std::string tabela = Tabela(erro, NomeApos(texto, "on view or table "));
        const std::string restricao = NomeApos(texto, "CHECK constraint ");
        return "Restrição CHECK violada: uma linha da tabela " + tabela + DaLinha(erro) +
               (restricao.empty() ? std::string(" não atende a uma restrição CHECK")
                                  : " não atende à restrição " + restricao) +
               " do DESTINO.\r\nCorrija esse valor na ORIGEM (ou a restrição no DESTINO) e " + proximo;
    }

    if (TemAlgum(erro, {isc_lock_conflict, isc_deadlock, isc_update_conflict, isc_obj_in_use,
                        isc_lock_timeout}))
        return "Bloqueio de outro usuário: outra conexão ao banco de dados mantém bloqueado o que "
               "este comando precisa alterar.\r\nFeche o sistema Vorel e as outras conexões com a "
               "ORIGEM e o DESTINO e " +
               proximo;

    if (TemAlgum(erro, {isc_network_error, isc_net_read_err, isc_net_write_err, isc_conn_lost,
                        isc_lost_db_connection, isc_att_shutdown, isc_shutdown, isc_unavailable}))
        return "Conexão perdida: a ligação com o servidor Firebird (127.0.0.1) caiu ou o banco de "
               "dados foi desligado.\r\nConfira se o servidor Firebird está em execução e o banco "
               "de dados está disponível e " +
               proximo;

    if (TemAlgum(erro, {isc_bad_db_format, isc_wrong_ods}))
        return "Arquivo que não é um banco de dados: o arquivo escolhido não é um banco de dados "
               "Firebird que este servidor abra.\r\nEscolha o arquivo .fdb correto e " +
               proximo;

    if (erro.TemCodigo(isc_io_error))
        return "Arquivo inacessível: o servidor Firebird não conseguiu abrir o arquivo (ele não "
               "existe ou o servidor não tem permissão para lê-lo).\r\nConfira o arquivo escolhido "
               "e as permissões da pasta e " +
               proximo;

    return {};
}
