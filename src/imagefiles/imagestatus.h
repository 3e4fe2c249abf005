// Results of the image operations: the codes the callers test, and why an operation failed.
#pragma once

#include <QString>
#include <cstdint>

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);

struct ImageStatus {
    HRESULT hr = S_OK;
    QString error;  // empty on success; otherwise readable by a user

    bool ok() const { return hr == S_OK; }
    static ImageStatus Ok() { return {}; }
    static ImageStatus Fail(const QString& why) { return {E_FAIL, why}; }
};
