#include "schema/modNodeS.h"

#include <algorithm>

#include "app/UiService.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "schema/TagFields.h"

namespace orr {
namespace {

void Illogic(const char* sOperation) { gfSystemIllogic(std::string(sOperation) + ", nd is nothing"); }

void InvalidLine(std::string_view sLine)
{
    gfMsgBox(std::string("Invalid Schema input line:") + kCrLf + kCrLf + std::string(sLine), MsgIcon::Critical);
}

// Appends "*" + letter + value.
void Field(std::string& sTag, char cLetter, std::string_view sValue)
{
    sTag += '*';
    sTag += cLetter;
    sTag += sValue;
}

}  // namespace

// ---- Text helpers -----------------------------------------------------------------

std::vector<std::string_view> gfSplitFields(std::string_view s, char cSeparator)
{
    // Room for a definition line's fields at once: they are split by the thousand.
    std::vector<std::string_view> fields;
    fields.reserve(16);
    std::size_t nStart = 0;
    for (;;) {
        const auto nAt = s.find(cSeparator, nStart);
        if (nAt == std::string_view::npos) {
            fields.push_back(s.substr(nStart));
            return fields;
        }
        fields.push_back(s.substr(nStart, nAt - nStart));
        nStart = nAt + 1;
    }
}

bool gfIsNumeric(std::string_view s)
{
    s = gfTrimBlanks(s);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool bDigit = false, bPoint = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            bDigit = true;
        else if (s[i] == '.' && !bPoint)
            bPoint = true;
        else
            return false;
    }
    return bDigit;
}

std::optional<std::int32_t> gfNumericValue(std::string_view s)
{
    if (!gfIsNumeric(s))
        return std::nullopt;
    s = gfTrimBlanks(s);
    bool bNegative = false;
    if (s[0] == '+' || s[0] == '-') {
        bNegative = s[0] == '-';
        s.remove_prefix(1);
    }
    const auto nPoint = s.find('.');
    const std::string_view sWhole = s.substr(0, nPoint);
    const std::string_view sFraction = nPoint == std::string_view::npos ? std::string_view() : s.substr(nPoint + 1);
    std::int64_t n = 0;
    for (char c : sWhole) {
        n = n * 10 + (c - '0');
        if (n > std::int64_t(1) << 32)
            return std::nullopt;
    }
    if (!sFraction.empty()) {
        const bool bRestNonZero = sFraction.find_first_not_of('0', 1) != std::string_view::npos;
        const char c = sFraction[0];
        if (c > '5' || (c == '5' && (bRestNonZero || n % 2 == 1)))
            ++n;
    }
    if (bNegative)
        n = -n;
    if (n < INT32_MIN || n > INT32_MAX)
        return std::nullopt;
    return std::int32_t(n);
}

// ---- Tags ---------------------------------------------------------------------------

std::string gfSnodeNumberText(std::int32_t nNumber)
{
    if (nNumber > 99999)
        gfSystemIllogic("nID too large. nId = " + std::to_string(nNumber));
    std::string sDigits = std::to_string(nNumber < 0 ? -std::int64_t(nNumber) : std::int64_t(nNumber));
    if (sDigits.size() < 5)
        sDigits.insert(0, 5 - sDigits.size(), '0');
    return nNumber < 0 ? "-" + sDigits : sDigits;
}

std::string_view gfTagAttrView(std::string_view sTag, char cLetter)
{
    std::size_t nStart = 0;
    for (;;) {
        const auto nAt = sTag.find('*', nStart);
        const std::string_view sField =
            sTag.substr(nStart, nAt == std::string_view::npos ? std::string_view::npos : nAt - nStart);
        if (!sField.empty() && sField[0] == cLetter)
            return sField.substr(1);
        if (nAt == std::string_view::npos)
            return {};
        nStart = nAt + 1;
    }
}

std::string gfTagGetAttr(std::string_view sTag, char cLetter) { return std::string(gfTagAttrView(sTag, cLetter)); }

std::string gfSnodeParseLine(std::string_view sLine, std::string_view sNumber)
{
    const std::vector<std::string_view> f = gfSplitFields(sLine);
    const std::size_t n = f.size();
    std::string sTag;
    sTag.reserve(sLine.size() + 24);
    if (f[0] == "A??") {
        const std::string_view sKind = n > 1 ? f[1] : std::string_view();
        bool bCountOk = true;
        if (sKind == "LS") {
            if ((bCountOk = n == 6)) {
                sTag = "ISLS";
                Field(sTag, 'N', sNumber);
                Field(sTag, 'C', "0");
                Field(sTag, 'R', f[3]);
                Field(sTag, 'K', f[4]);
                Field(sTag, 'D', f[5]);
                Field(sTag, 'L', f[2]);
            }
        } else if (sKind == "HLS") {
            if ((bCountOk = n == 5)) {
                sTag = "ISHLS";
                Field(sTag, 'N', sNumber);
                Field(sTag, 'C', "0");
                Field(sTag, 'X', f[2]);
                Field(sTag, 'Y', f[3]);
                Field(sTag, 'D', f[4]);
            }
        } else if (sKind == "ESS") {
            if ((bCountOk = n == 4)) {
                sTag = "ISESS";
                Field(sTag, 'N', sNumber);
                Field(sTag, 'C', "0");
                Field(sTag, 'Y', f[2]);
                Field(sTag, 'D', f[3]);
            }
        } else if (sKind == "ELS") {
            if ((bCountOk = n >= 4)) {
                sTag = "ISELS";
                Field(sTag, 'N', sNumber);
                Field(sTag, 'C', "0");
                Field(sTag, 'X', f[2]);
                Field(sTag, 'Y', f[3]);
                if (n > 4)
                    Field(sTag, 'D', f[4]);
            }
        } else {
            return kUnusableTag;  // no message for an unknown system kind
        }
        if (!bCountOk) {
            InvalidLine(sLine);
            return kUnusableTag;
        }
        return sTag;
    }

    const std::optional<std::int32_t> nZ = n > 1 ? gfNumericValue(f[1]) : std::nullopt;
    if (!nZ || (*nZ == 0 && n < 5) || (*nZ != 0 && n < 7)) {
        InvalidLine(sLine);
        return kUnusableTag;
    }
    sTag = "IR";
    sTag += f[0];
    Field(sTag, 'N', sNumber);
    if (*nZ == 0) {
        Field(sTag, 'C', "0");
        Field(sTag, 'Z', f[1]);
        Field(sTag, 'P', f[2]);
        Field(sTag, 'R', f[3]);
        Field(sTag, 'D', f[4]);
        if (n > 5)
            Field(sTag, 'K', f[5]);
    } else {
        Field(sTag, 'Z', f[1]);
        Field(sTag, 'P', f[2]);
        Field(sTag, 'T', f[3]);
        Field(sTag, 'A', f[4]);
        Field(sTag, 'B', f[5]);
        Field(sTag, 'D', f[6]);
        // An eighth field lists the element's valid codes.
        if (n > 7 && !f[7].empty())
            Field(sTag, 'V', f[7]);
    }
    return sTag;
}

std::string gfTagDisplay(std::string_view sTag)
{
    // Built in one string: the schema build makes one for every node.
    const TagFields attr(sTag);
    const std::string_view sI = attr['I'];
    if (sI.empty() || sI == "???")
        return std::string(sTag);
    const std::string_view sSub = sI.substr(1);
    std::string s;
    s.reserve(sTag.size() + 16);
    // After the first part, parts follow a blank each, empty ones too.
    auto part = [&s](std::string_view sPrefix, std::string_view sValue = {}) {
        s.append(1, ' ').append(sPrefix).append(sValue);
    };
    auto keyed = [&](std::string_view sPrefix, char c) {
        if (const std::string_view v = attr[c]; !v.empty())
            part(sPrefix, v);
    };
    if (sI[0] == 'S') {
        if (sSub == "LS") {
            s = "Loop";
            part(attr['L']);
            part(attr['D']);
            part("R=", attr['R']);
            keyed("K=", 'K');
        } else if (sSub == "HLS") {
            s = "HL";
            part(attr['D']);
            part("KS=", attr['X']);
            part("KD=", attr['Y']);
        } else if (sSub == "ELS") {
            s = "E Loops";
            part("KS=", attr['X']);
            part("KD=", attr['Y']);
            keyed("", 'D');
        } else if (sSub == "ESS") {
            s = "E Segments";
            part(attr['D']);
            part("KD=", attr['Y']);
        } else {
            return std::string(sTag);
        }
    } else if (sI[0] == 'R') {
        const std::string_view sZ = attr['Z'];
        const std::optional<std::int32_t> nZ = gfNumericValue(sZ);
        if (!nZ)
            return std::string(sTag);
        if (*nZ == 0) {
            // The segment's code in three columns.
            s.append(sSub.substr(0, 3)).append(sSub.size() < 3 ? 1 : 0, ' ');
            part(attr['P']);
            part("R=", attr['R']);
            part(attr['D']);
            keyed("K=", 'K');
        } else {
            s = sZ;
            part(attr['P']);
            part(attr['T']);
            part(attr['A']);
            part(attr['B']);
            part(attr['D']);
        }
    } else {
        return std::string(sTag);
    }
    return s;
}

// ---- Node operations -------------------------------------------------------------------

std::string gfSnodeGetAttr(TreeNode nd, char cLetter) { return gfTagGetAttr(nd.Tag(), cLetter); }

std::int32_t gfSnodeGetAttrNum(TreeNode nd, char cLetter)
{
    const std::string s = gfSnodeGetAttr(nd, cLetter);
    if (s.empty())
        return 0;
    if (const auto n = gfNumericValue(s))
        return *n;
    gfMsgBox("Expecting nuneric data.", MsgIcon::Critical);
    return 0;
}

bool gfTagCanSetAttr(std::string_view sTag, char cLetter) { return TagFields(sTag).CanSet(cLetter); }

void gfSnodeSetAttr(TreeNode nd, char cLetter, std::string_view sValue)
{
    if (!nd)
        return;
    const std::string sTag = nd.Tag();
    if (!gfTagCanSetAttr(sTag, cLetter))
        return;
    const std::vector<std::string_view> fields = gfSplitFields(sTag);
    const auto it =
        std::find_if(fields.begin(), fields.end(), [&](std::string_view f) { return !f.empty() && f[0] == cLetter; });
    std::string sNew;
    sNew.reserve(sTag.size() + sValue.size());
    for (auto f = fields.begin(); f != fields.end(); ++f) {
        if (f != fields.begin())
            sNew += '*';
        if (f == it) {
            sNew += cLetter;
            sNew += sValue;
        } else {
            sNew += *f;
        }
    }
    nd.SetTag(sNew);
}

void gfSnodeType(TreeNode nd, std::string& sType, std::string& sSubType)
{
    sType.clear();
    sSubType.clear();
    if (!nd)
        return;
    const std::string sI = gfSnodeGetAttr(nd, 'I');
    if (sI.empty())
        return;
    sType = sI.substr(0, 1);
    sSubType = sI.substr(1);
}

std::string gfSnodeGetNumber(TreeNode nd) { return gfSnodeGetAttr(nd, 'N'); }

std::string gfSnodeGetKey(TreeNode nd)
{
    if (!nd)
        Illogic("gfSnodeGetKey");
    return gfSnodeGetAttr(nd, 'K');
}

void gfSnodeGetKeyPositions(TreeNode nd, std::int16_t& nX, std::int16_t& nY)
{
    if (!nd)
        Illogic("gfSnodeGetKeyPositions");
    auto position = [&](char c) -> std::int16_t {
        const auto n = gfNumericValue(gfSnodeGetAttr(nd, c));
        return n && *n >= INT16_MIN && *n <= INT16_MAX ? std::int16_t(*n) : 0;
    };
    nX = position('X');
    nY = position('Y');
}

bool gfSnodeRequired(TreeNode nd)
{
    // A system loop is required when its first child is; iterated, so that
    // deeply nested loops need no stack.
    for (;;) {
        if (!nd)
            Illogic("gfSnodeRequired");
        std::string sType, sSub;
        gfSnodeType(nd, sType, sSub);
        if (sType != "S") {
            const std::string sP = gfSnodeGetAttr(nd, 'P');
            return sP == "R" || sP == "M";
        }
        nd = nd.FirstChild();
    }
}

std::string gfSnodeFQN(TreeNode nd)
{
    if (!nd)
        Illogic("gfSnodeFQN");
    // Two walks up, the first for the length, the second writing the numbers
    // from the end: no list of the numbers (it is made for every node an
    // edit links to the definition).
    std::size_t nSize = 0;
    for (TreeNode n = nd; n; n = n.Parent())
        nSize += gfTagAttrView(n.Tag(), 'N').size() + 1;
    std::string s(nSize - 1, '.');
    std::size_t nEnd = s.size();
    for (TreeNode n = nd; n; n = n.Parent()) {
        const std::string_view sNumber = gfTagAttrView(n.Tag(), 'N');
        nEnd -= sNumber.size();
        s.replace(nEnd, sNumber.size(), sNumber);
        if (nEnd > 0)
            --nEnd;  // the dot before it
    }
    return s;
}

std::string gfSnodeDisplay(TreeNode nd)
{
    if (!nd)
        Illogic("gfSnodeDisplay");
    return gfTagDisplay(nd.Tag());
}

}  // namespace orr
