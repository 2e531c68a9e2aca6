#include "LeitorTabela.h"

#include "Conexao.h"
#include "NomeSql.h"
#include "Texto.h"

#include <cstring>

using namespace Firebird;

namespace {

constexpr std::size_t LinhasPorBloco = 1000;
constexpr std::size_t BytesPorBloco = 256 << 10;
constexpr std::size_t LimiteFila = 4 << 20;

} // namespace

TLeitorTabela::TLeitorTabela(IAttachment* anexo, ITransaction* transacao, const std::string& sql,
                             const TConjuntosCaracteres& conjuntos)
    : FAnexo(anexo), FTransacao(transacao), FFila(LimiteFila)
{
    fb::TStatus status;
    FComando = Preparar(sql);
    FMetadados.reset(FComando->getOutputMetadata(&status));
    FFormato = TFormatoLinha::De(FMetadados.get());
    const std::size_t colunas = FFormato.Colunas.size();
    for (unsigned i = 0; i < colunas; ++i)
        if (FFormato.Colunas[i].Blob())
            FColunasBlob.push_back(i);

    if (!FColunasBlob.empty()) {
        // Opening every blob costs round trips to the server; most are short, so the select
        // is wrapped to bring those along with their rows, cast to text of the same bytes.
        std::string envolta = "select X.*";
        for (unsigned i : FColunasBlob) {
            const TColunaMensagem& coluna = FFormato.Colunas[i];
            const std::string nome = "X." + NomeSql(FMetadados->getAlias(&status, i));
            std::string conjunto = "OCTETS";
            if (coluna.SubTipo == isc_blob_text) {
                try {
                    conjunto = NomeConjunto(coluna.ConjuntoCaracteres, conjuntos);
                } catch (EBancoDados& erro) {
                    erro.DefinirColuna(ConverterMensagemDoBanco(FMetadados->getField(&status, i)));
                    throw;
                }
            }
            envolta += ", iif(octet_length(" + nome + ") <= " +
                       std::to_string(LimiteBlobNaLinha) + ", cast(" + nome + " as varchar(" +
                       std::to_string(LimiteBlobNaLinha) + ") character set " + conjunto +
                       "), null)";
        }
        envolta += " from (" + sql + ") X";
        FComando = Preparar(envolta);
        FMetadados.reset(FComando->getOutputMetadata(&status));
        TFormatoLinha formato = TFormatoLinha::De(FMetadados.get());
        FBlobsNaLinha.assign(formato.Colunas.begin() + static_cast<std::ptrdiff_t>(colunas),
                             formato.Colunas.end());
        formato.Colunas.resize(colunas);
        formato.TemBlob = true;
        FFormato = formato;
    }
    FCursor.reset(FComando->openCursor(&status, transacao, nullptr, nullptr, FMetadados.get(), 0));
}

fb::TComando TLeitorTabela::Preparar(const std::string& sql)
{
    fb::TStatus status;
    return fb::TComando(FAnexo->prepare(&status, FTransacao, static_cast<unsigned>(sql.size()),
                                        sql.c_str(), TConexao::Dialeto,
                                        IStatement::PREPARE_PREFETCH_METADATA));
}

TLeitorTabela::~TLeitorTabela()
{
    Parar();
}

void TLeitorTabela::Parar() noexcept
{
    FFila.Abandonar();
    if (FThread.joinable())
        FThread.join();
}

void TLeitorTabela::Iniciar()
{
    FThread = std::thread([this] { Ler(); });
}

void TLeitorTabela::Fechar()
{
    Parar();
    fb::TStatus status;
    if (FCursor)
        fb::Fechar(FCursor, status);
    if (FComando)
        fb::Liberar(FComando, status);
}

void TLeitorTabela::Descartar() noexcept
{
    Parar();
    FCursor.reset();
    FComando.reset();
}

void TLeitorTabela::Ler()
{
    try {
        fb::TStatus status;
        const std::size_t tamanho = FFormato.TamanhoMensagem;
        TBlocoLinhas bloco;
        bloco.Dados.reserve(std::min(LinhasPorBloco * tamanho, BytesPorBloco + tamanho));
        std::size_t bytesBlobs = 0;
        std::vector<std::pair<fb::TBlob, std::string>> longos;

        auto entregar = [&]() -> bool {
            if (bloco.Linhas == 0)
                return true;
            TItemFila item;
            item.Tipo = TItemFila::TTipo::Bloco;
            item.Bloco = std::move(bloco);
            bloco = TBlocoLinhas();
            bytesBlobs = 0;
            return FFila.Colocar(std::move(item));
        };

        for (;;) {
            const std::size_t inicio = bloco.Dados.size();
            bloco.Dados.resize(inicio + tamanho);
            unsigned char* linha = bloco.Dados.data() + inicio;
            if (FCursor->fetchNext(&status, linha) != IStatus::RESULT_OK) {
                bloco.Dados.resize(inicio);
                break;
            }
            ++bloco.Linhas;

            longos.clear();
            for (std::size_t b = 0; b < FColunasBlob.size(); ++b) {
                const TColunaMensagem& c = FFormato.Colunas[FColunasBlob[b]];
                const TColunaMensagem& naLinha = FBlobsNaLinha[b];
                TValorBlob valor;
                if (!*reinterpret_cast<const short*>(linha + naLinha.DeslocamentoNulo)) {
                    unsigned short tamanhoTexto;
                    std::memcpy(&tamanhoTexto, linha + naLinha.Deslocamento, sizeof tamanhoTexto);
                    valor.Estado = TValorBlob::TEstado::Curto;
                    valor.Conteudo.assign(
                        reinterpret_cast<const char*>(linha + naLinha.Deslocamento + 2),
                        tamanhoTexto);
                    bytesBlobs += tamanhoTexto;
                } else if (!*reinterpret_cast<const short*>(linha + c.DeslocamentoNulo)) {
                    ISC_QUAD id;
                    std::memcpy(&id, linha + c.Deslocamento, sizeof id);
                    fb::TBlob aberto;
                    if (!LerBlob(id, valor, aberto)) {
                        longos.emplace_back(std::move(aberto), std::move(valor.Conteudo));
                        valor.Conteudo.clear();
                    }
                    bytesBlobs += valor.Conteudo.size();
                }
                bloco.Blobs.push_back(std::move(valor));
            }

            if (!longos.empty()) {
                // The writer must see this row before the segments of its long blobs.
                if (!entregar())
                    return;
                for (auto& [blob, inicio] : longos)
                    if (!TransmitirResto(blob, std::move(inicio)))
                        return;
                continue;
            }

            if (bloco.Linhas >= LinhasPorBloco || bloco.Dados.size() + bytesBlobs >= BytesPorBloco)
                if (!entregar())
                    return;
        }
        if (!entregar())
            return;
        TItemFila fim;
        fim.Tipo = TItemFila::TTipo::Fim;
        FFila.Colocar(std::move(fim));
    } catch (...) {
        TItemFila erro;
        erro.Tipo = TItemFila::TTipo::Erro;
        erro.Erro = std::current_exception();
        FFila.Colocar(std::move(erro));
    }
}

// Reads a blob up to the short limit. Returns true when it fitted (the blob is closed); false
// when it is longer, leaving it open and what was read in the value.
bool TLeitorTabela::LerBlob(const ISC_QUAD& id, TValorBlob& valor, fb::TBlob& aberto)
{
    fb::TStatus status;
    ISC_QUAD copia = id;
    fb::TBlob blob(FAnexo->openBlob(&status, FTransacao, &copia, 0, nullptr));
    std::string& conteudo = valor.Conteudo;
    char bloco[LimiteBlobCurto + 1];
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&status, sizeof bloco, bloco, &lidos);
        if (r == IStatus::RESULT_NO_DATA) {
            fb::Fechar(blob, status);
            valor.Estado = TValorBlob::TEstado::Curto;
            return true;
        }
        conteudo.append(bloco, lidos);
        if (conteudo.size() > LimiteBlobCurto) {
            valor.Estado = TValorBlob::TEstado::Longo;
            aberto = std::move(blob);
            return false;
        }
    }
}

// Sends what was read of a long blob and the rest of it as segments, then its end.
bool TLeitorTabela::TransmitirResto(fb::TBlob& blob, std::string inicio)
{
    fb::TStatus status;
    auto colocar = [&](TItemFila::TTipo tipo, std::string segmento) {
        TItemFila item;
        item.Tipo = tipo;
        item.Segmento = std::move(segmento);
        return FFila.Colocar(std::move(item));
    };
    if (!colocar(TItemFila::TTipo::Segmento, std::move(inicio)))
        return false;
    std::string segmento(65535, '\0');
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&status, static_cast<unsigned>(segmento.size()),
                                       segmento.data(), &lidos);
        if (r == IStatus::RESULT_NO_DATA)
            break;
        if (!colocar(TItemFila::TTipo::Segmento, segmento.substr(0, lidos)))
            return false;
    }
    fb::Fechar(blob, status);
    return colocar(TItemFila::TTipo::FimBlob, {});
}
