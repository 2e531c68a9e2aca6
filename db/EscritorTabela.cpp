#include "EscritorTabela.h"

#include "Cancelamento.h"
#include "Conexao.h"
#include "LinhaRecusada.h"
#include "NomeSql.h"
#include "Texto.h"

#include <cstring>

using namespace Firebird;

namespace {

// What a row's parameters take in a message beyond the fixed layout, rounded for alignment.
constexpr std::size_t FolgaAlinhamento = 8;

// Rows whose parameters pass this size go alone and write their blobs through the blob
// interface: a message may not grow past 64 KB.
constexpr std::size_t MaxBytesLinhaUnica = 60000;

unsigned TamanhoCampo(const TColunaMensagem& coluna)
{
    return coluna.Tipo == SQL_VARYING ? coluna.Tamanho + 2 : coluna.Tamanho;
}

// The server makes blobs from text only of its own kinds, text and binary; a blob of any other
// sub_type (an application's own, negative ones) is written through the blob interface.
bool SubTipoProprio(const TColunaMensagem& coluna)
{
    return coluna.Blob() && coluna.SubTipo != isc_blob_text && coluna.SubTipo != isc_blob_untyped;
}

// A name the server gave, as the operator reads it.
std::string NomeLegivel(const std::string& nome)
{
    return ConverterMensagemDoBanco(nome);
}

} // namespace

TEscritorTabela::TEscritorTabela(TConexao& destino, const TFormatoLinha& formato,
                                 TDestinoCopia descricao, const TConjuntosCaracteres& conjuntos,
                                 const TCancelamento* cancelamento)
    : FDestino(destino), FFormato(formato), FDescricao(std::move(descricao)),
      FConjuntos(conjuntos), FCancelamento(cancelamento)
{
    const std::vector<std::string>& colunas = FDescricao.Colunas;
    for (unsigned i = 0; i < formato.Colunas.size(); ++i) {
        if (formato.Colunas[i].Blob())
            FColunasBlob.push_back(i);
        FSubTiposProprios = FSubTiposProprios || SubTipoProprio(formato.Colunas[i]);
        try {
            FDeclaracoes.push_back(DeclaracaoTipo(formato.Colunas[i], conjuntos));
        } catch (EBancoDados& erro) {
            erro.DefinirColuna(NomeLegivel(colunas.at(i)));
            throw;
        }
    }

    FInsercao = "insert into " + NomeSql(FDescricao.Tabela) + " (";
    for (std::size_t i = 0; i < colunas.size(); ++i)
        FInsercao += (i ? "," : "") + NomeSql(colunas[i]);
    FInsercao += ") values (";

    // What one row's parameters take without the contents of its blobs.
    TLinhaPendente vazia;
    vazia.Blobs.assign(FColunasBlob.size(), TValorBlob{TValorBlob::TEstado::Curto, {}});
    fb::TStatus status;
    FBytesFixos = Metadados({&vazia})->getMessageLength(&status) + FolgaAlinhamento;

    std::size_t capacidade = MaxLinhasPedaco;
    if (!formato.TemBlob)
        capacidade = std::min(capacidade, MaxBytesPedaco / FBytesFixos);
    // The text grows with the row count: the largest count that fits, by bisection.
    std::size_t cabe = 1;
    while (cabe < capacidade) {
        const std::size_t meio = (cabe + capacidade + 1) / 2;
        if (TextoPedaco(meio).size() <= MaxTextoPedaco)
            cabe = meio;
        else
            capacidade = meio - 1;
    }
    FCapacidade = cabe >= GranuloLinhas ? cabe - cabe % GranuloLinhas : cabe;
}

std::string TEscritorTabela::TextoPedaco(std::size_t linhas) const
{
    const std::size_t colunas = FDeclaracoes.size();
    if (linhas == 1) {
        std::string texto = FInsercao;
        for (std::size_t c = 0; c < colunas; ++c)
            texto += c ? ",?" : "?";
        return texto + ")";
    }
    std::string texto = "execute block (";
    for (std::size_t p = 0; p < linhas * colunas; ++p)
        texto += (p ? ",p" : "p") + std::to_string(p) + " " + FDeclaracoes[p % colunas] + " = ?";
    texto += ")\nas\nbegin\n";
    for (std::size_t r = 0; r < linhas; ++r) {
        texto += FInsercao;
        for (std::size_t c = 0; c < colunas; ++c)
            texto += (c ? ",:p" : ":p") + std::to_string(r * colunas + c);
        texto += ");\n";
    }
    return texto + "end";
}

IStatement* TEscritorTabela::Comando(std::size_t linhas)
{
    auto& comando = FComandos[linhas];
    if (!comando) {
        Aguardar();
        const std::string texto = TextoPedaco(linhas);
        fb::TStatus status;
        comando.reset(FDestino.Anexo()->prepare(&status, FDestino.Transacao(),
                                                static_cast<unsigned>(texto.size()),
                                                texto.c_str(), TConexao::Dialeto, 0));
    }
    return comando.get();
}

std::size_t TEscritorTabela::BytesLinha(const TValorBlob* blobs) const
{
    std::size_t bytes = FBytesFixos;
    for (std::size_t b = 0; b < FColunasBlob.size(); ++b)
        bytes += blobs[b].Conteudo.size() + FolgaAlinhamento;
    return bytes;
}

bool TEscritorTabela::Cabe(const TValorBlob* blobs) const
{
    return FNumPendentes == 0 || (FNumPendentes < FCapacidade &&
                                  FBytesPendentes + BytesLinha(blobs) <= MaxBytesPedaco);
}

void TEscritorTabela::Adicionar(const unsigned char* linha, const TValorBlob* blobs)
{
    const std::size_t bytes = BytesLinha(blobs);
    if (FNumPendentes == FPendentes.size())
        FPendentes.emplace_back();
    TLinhaPendente& pendente = FPendentes[FNumPendentes++];
    pendente.Dados.assign(linha, linha + FFormato.TamanhoMensagem);
    pendente.Blobs.assign(blobs, blobs + FColunasBlob.size());
    pendente.Bytes = bytes;
    FBytesPendentes += bytes;
}

std::size_t TEscritorTabela::Enviar(bool todas)
{
    std::size_t enviadas = 0;
    while (FNumPendentes > 0) {
        std::size_t linhas = FNumPendentes - FNumPendentes % GranuloLinhas;
        if (linhas == 0)
            for (linhas = 1; linhas * 2 <= FNumPendentes;)
                linhas *= 2;
        EnviarPrimeiras(linhas);
        enviadas += linhas;
        if (!todas)
            break;
    }
    return enviadas;
}

void TEscritorTabela::EnviarPrimeiras(std::size_t quantas)
{
    std::vector<const TLinhaPendente*> linhas;
    for (std::size_t i = 0; i < quantas; ++i)
        linhas.push_back(&FPendentes[i]);
    // A row too wide for one message with its blobs inline has them written as blobs first.
    const bool larga = quantas == 1 && FPendentes[0].Bytes > MaxBytesLinhaUnica;
    if (larga || FSubTiposProprios) {
        Aguardar();
        for (std::size_t i = 0; i < quantas; ++i)
            GravarComoBlobs(FPendentes[i], larga);
    }
    Executar(quantas, linhas);
    // The message holds its own copy of the rows: the entries sent take the waiting ones' place.
    FBytesPendentes = 0;
    for (std::size_t i = quantas; i < FNumPendentes; ++i) {
        std::swap(FPendentes[i - quantas], FPendentes[i]);
        FBytesPendentes += FPendentes[i - quantas].Bytes;
    }
    FNumPendentes -= quantas;
}

void TEscritorTabela::GravarComoBlobs(TLinhaPendente& linha, bool todos)
{
    linha.Ids.resize(FColunasBlob.size());
    for (std::size_t b = 0; b < FColunasBlob.size(); ++b) {
        TValorBlob& valor = linha.Blobs[b];
        const TColunaMensagem& coluna = FFormato.Colunas[FColunasBlob[b]];
        if (valor.Estado != TValorBlob::TEstado::Curto || !(todos || SubTipoProprio(coluna)))
            continue;
        bool entregue = false;
        linha.Ids[b] = GravarBlob(coluna, [&]() -> const std::string* {
            if (entregue)
                return nullptr;
            entregue = true;
            return &valor.Conteudo;
        });
        valor.Estado = TValorBlob::TEstado::Longo;
        valor.Conteudo.clear();
    }
}

void TEscritorTabela::InserirComBlobsLongos(const unsigned char* linha, const TValorBlob* blobs,
                                           TFilaLinhas& fila)
{
    TLinhaPendente pendente;
    pendente.Dados.assign(linha, linha + FFormato.TamanhoMensagem);
    pendente.Blobs.assign(blobs, blobs + FColunasBlob.size());
    pendente.Ids.resize(FColunasBlob.size());

    Aguardar();
    for (std::size_t b = 0; b < FColunasBlob.size(); ++b) {
        if (pendente.Blobs[b].Estado != TValorBlob::TEstado::Longo)
            continue;
        TItemFila item;
        pendente.Ids[b] = GravarBlob(FFormato.Colunas[FColunasBlob[b]], [&]() -> const std::string* {
            item = fila.Retirar();
            if (item.Tipo == TItemFila::TTipo::Erro)
                std::rethrow_exception(item.Erro);
            if (item.Tipo == TItemFila::TTipo::FimBlob)
                return nullptr;
            if (item.Tipo != TItemFila::TTipo::Segmento)
                throw EBancoDados::DaCamada("A leitura de um blob longo terminou antes do fim.");
            return &item.Segmento;
        });
    }
    GravarComoBlobs(pendente, false);
    Executar(1, {&pendente});
}

ISC_QUAD TEscritorTabela::GravarBlob(const TColunaMensagem& coluna,
                                      const std::function<const std::string*()>& proximo)
{
    // The blob takes the column's own kind and character set, so the insert stores it as is and
    // no filter runs. Sub_types are 16-bit and may be negative: two bytes, low byte first.
    const auto subTipo = static_cast<std::uint16_t>(coluna.SubTipo);
    const auto baixo = static_cast<unsigned char>(subTipo & 0xFF);
    const auto alto = static_cast<unsigned char>(subTipo >> 8);
    const auto conjunto = static_cast<unsigned char>(coluna.ConjuntoCaracteres);
    const unsigned char bpb[] = {isc_bpb_version1,
                                 isc_bpb_source_type, 2, baixo, alto,
                                 isc_bpb_target_type, 2, baixo, alto,
                                 isc_bpb_source_interp, 1, conjunto,
                                 isc_bpb_target_interp, 1, conjunto};
    fb::TStatus status;
    ISC_QUAD id;
    fb::TBlob blob(
        FDestino.Anexo()->createBlob(&status, FDestino.Transacao(), &id, sizeof bpb, bpb));
    while (const std::string* pedaco = proximo()) {
        if (FCancelamento)
            FCancelamento->Verificar();
        for (std::size_t feito = 0; feito < pedaco->size();) {
            const auto parte =
                static_cast<unsigned>(std::min<std::size_t>(65535, pedaco->size() - feito));
            blob->putSegment(&status, parte, pedaco->data() + feito);
            feito += parte;
        }
    }
    fb::Fechar(blob, status);
    return id;
}

fb::TMetadados TEscritorTabela::Metadados(const std::vector<const TLinhaPendente*>& linhas) const
{
    const std::size_t colunas = FFormato.Colunas.size();
    fb::TStatus status;
    fb::TConstrutorMetadados construtor(fb::Master()->getMetadataBuilder(
        &status, static_cast<unsigned>(linhas.size() * colunas)));
    for (std::size_t r = 0; r < linhas.size(); ++r) {
        std::size_t blob = 0;
        for (std::size_t c = 0; c < colunas; ++c) {
            const TColunaMensagem& coluna = FFormato.Colunas[c];
            const auto campo = static_cast<unsigned>(r * colunas + c);
            unsigned tipo = coluna.Tipo;
            unsigned tamanho = coluna.Tamanho;
            unsigned conjunto = coluna.ConjuntoCaracteres;
            if (coluna.Blob()) {
                const TValorBlob& valor = linhas[r]->Blobs[blob++];
                if (valor.Estado != TValorBlob::TEstado::Longo) {
                    // The server turns the text back into a blob of the column's kind.
                    tipo = SQL_VARYING;
                    tamanho = std::max<unsigned>(1, static_cast<unsigned>(valor.Conteudo.size()));
                    if (coluna.SubTipo != isc_blob_text)
                        conjunto = 1; // OCTETS
                }
            }
            construtor->setType(&status, campo, tipo | 1);
            construtor->setSubType(&status, campo, tipo == SQL_VARYING ? 0 : coluna.SubTipo);
            construtor->setLength(&status, campo, tamanho);
            construtor->setScale(&status, campo, coluna.Escala);
            construtor->setCharSet(&status, campo, conjunto);
        }
    }
    return fb::TMetadados(construtor->getMetadata(&status));
}

void TEscritorTabela::Executar(std::size_t linhas, const std::vector<const TLinhaPendente*>& origem)
{
    fb::TStatus status;
    IStatement* comando = Comando(linhas);

    IMessageMetadata* meta;
    if (FColunasBlob.empty()) {
        auto& fixo = FMetadadosFixos[linhas];
        if (!fixo)
            fixo = Metadados(origem);
        meta = fixo.get();
    } else {
        FMetadadosPedaco[FAtual] = Metadados(origem);
        meta = FMetadadosPedaco[FAtual].get();
    }

    const std::size_t colunas = FFormato.Colunas.size();
    std::vector<unsigned char>& buffer = FBuffers[FAtual];
    buffer.assign(meta->getMessageLength(&status), 0);
    for (std::size_t r = 0; r < linhas; ++r) {
        const unsigned char* linha = origem[r]->Dados.data();
        std::size_t blob = 0;
        for (std::size_t c = 0; c < colunas; ++c) {
            const TColunaMensagem& coluna = FFormato.Colunas[c];
            const auto campo = static_cast<unsigned>(r * colunas + c);
            unsigned char* destino = buffer.data() + meta->getOffset(&status, campo);
            auto* nulo = reinterpret_cast<short*>(buffer.data() + meta->getNullOffset(&status, campo));
            *nulo = *reinterpret_cast<const short*>(linha + coluna.DeslocamentoNulo) ? -1 : 0;
            if (!coluna.Blob()) {
                if (!*nulo)
                    std::memcpy(destino, linha + coluna.Deslocamento, TamanhoCampo(coluna));
                continue;
            }
            const TValorBlob& valor = origem[r]->Blobs[blob++];
            if (valor.Estado == TValorBlob::TEstado::Longo) {
                std::memcpy(destino, &origem[r]->Ids[blob - 1], sizeof(ISC_QUAD));
            } else if (valor.Estado == TValorBlob::TEstado::Curto) {
                const auto tamanho = static_cast<unsigned short>(valor.Conteudo.size());
                std::memcpy(destino, &tamanho, sizeof tamanho);
                std::memcpy(destino + 2, valor.Conteudo.data(), tamanho);
            }
        }
    }
    Aguardar();
    FEnvio.Entregar(comando, FDestino.Transacao(), meta, buffer.data());
    FEmExecucao = {linhas, meta, buffer.data()};
    FAtual = 1 - FAtual;
}

void TEscritorTabela::Aguardar()
{
    try {
        FEnvio.Sincronizar();
    } catch (EBancoDados& erro) {
        Localizar(erro);
        throw;
    }
    FEmExecucao = {};
}

// Names the column and the key of the row the server refused, read from the chunk's message.
// The server's own message stays the failure: when the row cannot be read back (a text the
// connection's character set does not define, say), it goes without them.
void TEscritorTabela::Localizar(EBancoDados& erro) const
{
    if (FEmExecucao.Linhas == 0)
        return;
    const std::optional<std::size_t> linha = LinhaRecusada(erro.Local(), FEmExecucao.Linhas);
    if (!linha)
        return;
    const TLinhaMensagem valores(FEmExecucao.Metadados, FEmExecucao.Buffer,
                                 FFormato.Colunas.size(), *linha);
    const std::vector<std::string>& colunas = FDescricao.Colunas;
    try {
        std::string coluna = ColunaDaMensagem(erro.what());
        // The server's truncation message gives sizes, not the column: the column is the
        // first whose text is longer than the destination holds.
        for (unsigned c = 0; coluna.empty() && erro.TemCodigo(isc_string_truncation) &&
                             c < colunas.size();
             ++c) {
            const auto caracteres = valores.Caracteres(c, FConjuntos);
            if (caracteres && FDescricao.Capacidades[c] > 0 &&
                *caracteres > FDescricao.Capacidades[c]) {
                coluna = NomeLegivel(colunas[c]) + " (" + std::to_string(*caracteres) +
                         " caracteres; o destino comporta " +
                         std::to_string(FDescricao.Capacidades[c]) + ")";
                erro.DefinirExcesso(NomeLegivel(colunas[c]), *caracteres,
                                    FDescricao.Capacidades[c]);
            }
        }
        if (!coluna.empty())
            erro.DefinirColuna(coluna);
        std::string chave;
        for (std::size_t c : FDescricao.Chave)
            chave += (chave.empty() ? "" : ", ") + NomeLegivel(colunas[c]) + " = " +
                     valores.ValorSql(static_cast<unsigned>(c));
        if (!chave.empty())
            erro.DefinirChave(chave);
    } catch (const EBancoDados&) {
    }
}

void TEscritorTabela::Sincronizar()
{
    Aguardar();
}

std::vector<std::size_t> TEscritorTabela::ContagensPreparadas() const
{
    std::vector<std::size_t> contagens;
    for (const auto& [linhas, comando] : FComandos)
        if (comando)
            contagens.push_back(linhas);
    return contagens;
}

void TEscritorTabela::Liberar()
{
    Aguardar();
    fb::TStatus status;
    for (auto& [linhas, comando] : FComandos)
        if (comando)
            fb::Liberar(comando, status);
    FComandos.clear();
}
