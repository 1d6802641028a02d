#include "CsvRowValues.h"

#include "data/Contact.h"
#include "framework/core/Unicode.h"

namespace {

bool IsWordByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// True when strHay (a text lower case and collapsed) holds strPart as whole words, ignoring
// case, blanks and line breaks; "12" is no part of "12345".
bool HoldsWords(const std::string& strHay, const std::string& strPart) {
    std::string strNeedle = LowerUtf8(Collapsed(strPart));
    if (strNeedle.empty()) {
        return true;
    }
    for (size_t n = strHay.find(strNeedle); n != std::string::npos; n = strHay.find(strNeedle, n + 1)) {
        size_t nEnd = n + strNeedle.size();
        bool bStart = n == 0 || !IsWordByte(strHay[n - 1]) || !IsWordByte(strNeedle.front());
        bool bEnd = nEnd == strHay.size() || !IsWordByte(strHay[nEnd]) || !IsWordByte(strNeedle.back());
        if (bStart && bEnd) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string TakeAddress(CContactBuilder& builder, const CAddressForms& forms, std::vector<std::string>& parts) {
    parts.assign(kAddressPartCount, std::string());
    for (const CAddressPiece& piece : forms.pieces) {
        std::string& strPart = parts[static_cast<size_t>(piece.nPart)];
        strPart = Join({strPart, piece.strValue}, "\r\n");
    }
    std::string strComposed = ComposeAddress(parts);
    if (forms.strWhole.empty() || NormaliseLineBreaks(forms.strWhole) == strComposed) {
        return forms.strWhole.empty() ? strComposed : forms.strWhole;
    }
    // The whole text as HoldsWords compares it, made once for all the parts.
    const std::string strHay = LowerUtf8(Collapsed(forms.strWhole));
    for (const CAddressPiece& piece : forms.pieces) {
        if (!HoldsWords(strHay, piece.strValue)) {
            builder.AddToNote(std::string(piece.label), piece.strValue);
        }
    }
    parts.assign(kAddressPartCount, std::string());
    parts[addressStreet] = forms.strWhole;
    return forms.strWhole;
}

void DeliverValue(CContactBuilder& builder, CReadValue value) {
    CContactValue probe;
    probe.kind = value.kind;
    probe.type = CString(value.strType);
    probe.label = CString(value.strLabel);
    const int nField = FieldOfValue(probe);
    const bool bAddress = value.kind == EValueKind::address;
    if (nField >= 0 && probe.label.IsEmpty() && !builder.IsFieldSet(nField)) {
        std::string strText = bAddress ? ComposeAddress(value.parts) : value.strText;
        if (!strText.empty()) {
            // The field holds the address's lines; parts beyond a street are kept beside it.
            const bool bParts = bAddress && strText != value.parts[addressStreet];
            builder.SetField(nField, std::move(strText));
            if (bParts) {
                builder.AddValue(std::move(value));
            }
            return;
        }
    }
    builder.AddValue(std::move(value));
}
