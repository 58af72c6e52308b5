#include "device/DriverAccess.h"

#include "device/DeviceResult.h"

namespace pixora {

DriverConnectionPtr DriverOpen(DriverPort& port, const char* path, std::string* detail) {
    if (path == nullptr || path[0] == '\0') {
        return nullptr;
    }
    OpenResult opened = port.Open(path);
    if (detail != nullptr) {
        *detail = std::move(opened.detail);
    }
    return std::move(opened.connection);
}

bool DriverClose(DriverConnectionPtr& connection) {
    if (connection == nullptr) {
        return false;
    }
    connection.reset();
    return true;
}

int32_t PipeTransfer(DriverConnection* connection, uint32_t pipe, uint32_t size, void* buffer,
                     bool secondaryPair, bool secondCode, uint32_t* bytesMoved,
                     TransferResult* outcome) {
    if (bytesMoved != nullptr) {
        *bytesMoved = 0;
    }
    if (buffer == nullptr) {
        return kPipeNoBuffer;
    }
    if (connection == nullptr) {
        return kPipeNoHandle;
    }
    TransferResult result = connection->Transfer(
        PipeRequest{pipe, buffer, size, RequestCode{secondaryPair, secondCode}});
    if (bytesMoved != nullptr) {
        *bytesMoved = result.bytes;
    }
    const bool ok = result.Ok();
    if (outcome != nullptr) {
        *outcome = std::move(result);
    }
    return ok ? kPipeOk : kPipeRequestFailed;
}

namespace {

int32_t BlockResult(int32_t pipeResult, uint32_t moved) {
    return pipeResult == kPipeOk && moved == wire::kBlockSize ? kDevOk : kDevCommandFailed;
}

}  // namespace

int32_t SendCommand(DriverConnection* connection, const CommandBlock& block,
                    TransferResult* outcome) {
    if (connection == nullptr) {
        return kDevOpenFailed;
    }
    CommandBlock sent = block;  // the driver reads it through an output buffer
    uint32_t moved = 0;
    const int32_t result =
        PipeTransfer(connection, wire::kPipeCommand, wire::kBlockSize, sent.data(),
                     kCommandCode.secondaryPair, kCommandCode.second, &moved, outcome);
    return BlockResult(result, moved);
}

int32_t ReadReply(DriverConnection* connection, CommandBlock& block, TransferResult* outcome) {
    if (connection == nullptr) {
        return kDevOpenFailed;
    }
    uint32_t moved = 0;
    const int32_t result =
        PipeTransfer(connection, wire::kPipeReply, wire::kBlockSize, block.data(),
                     kReplyCode.secondaryPair, kReplyCode.second, &moved, outcome);
    return BlockResult(result, moved);
}

void SetDriverTimeout(DriverConnection* connection, uint32_t milliseconds) {
    if (connection == nullptr) {
        return;
    }
    connection->SetTransferTimeout(milliseconds);
}

}  // namespace pixora
