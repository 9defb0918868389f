#pragma once
// The small hand-written definition T1 and a valid T1 interchange, shared by
// the tests and the fuzz harnesses (no test framework needed).

namespace orr::test {

// doc T1: interchange, group and transaction loops around BEG, REF (R=2),
// an N1 loop group keyed by N101, an HL group keyed by HL03 and DTM segments
// keyed by DTM01. doc T2: the same envelope around a required BEG only.
inline constexpr const char* kDocT1 = R"(???*DESCRIPTION*Test document
A??*LS*0001*99*ISA*Interchange
ISA*0*M*1*Interchange header
A??*LS*0002*99*GS*Group
GS*0*M*1*Group header
A??*LS*0003*99*ST*Transaction
ST*0*M*1*Transaction header
BEG*0*M*1*Beginning
BEG01*1*M*ID*2*2*Purpose
REF*0*O*2*Reference
A??*ELS*1*1*Names
A??*LS*N1ST*2*ST,SF*Ship to
N1*0*M*1*Name
N3*0*O*2*Address
A??*LE
A??*LS*N1BT*1*BT*Bill to
N1*0*M*1*Name
A??*LE
A??*ELE
A??*HLS*1*3*Hierarchy
A??*LS*HLS*1*S*Shipment
HL*0*M*1*Level
TD1*0*O*1*Carrier
A??*LE
A??*LS*HLO*99*O*Order
HL*0*M*1*Level
PRF*0*O*1*Purchase order
A??*LE
A??*HLE
A??*ESS*1*Dates
DTM*0*O*1*Ship date*011
DTM*0*O*1*Delivery date*002
A??*ESE
SE*0*M*1*Transaction trailer
A??*LE
GE*0*M*1*Group trailer
A??*LE
IEA*0*M*1*Interchange trailer
A??*LE
)";

// One valid T1 interchange, "*" and "~", one segment per line.
inline constexpr const char* kValidT1 =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *040305*0907*U*00401*000000001*0*T*:~\n"
    "GS*PO*SENDER*RECEIVER*20040305*0907*1*X*004010~\n"
    "ST*850*0001~\n"
    "BEG*00*SA*PO1**20040305~\n"
    "REF*DP*038~\n"
    "REF*PS*R~\n"
    "N1*ST:X*Ship Here~\n"
    "N3*1 Main St~\n"
    "N1*BT*Bill Here~\n"
    "HL*1**S~\n"
    "TD1*CTN*1~\n"
    "HL*2*1*O~\n"
    "PRF*PO1~\n"
    "HL*3*1*o~\n"
    "DTM*011*20040305~\n"
    "DTM*002*20040310~\n"
    "SE*16*0001~\n"
    "GE*1*1~\n"
    "IEA*1*000000001~\n";

// doc E1: element lines of every data type, with code lists (the eighth
// field), a composite and a not-used element, for the element check.
inline constexpr const char* kDocE1 = R"(???*DESCRIPTION*Element checks
A??*LS*0001*99*ISA*Interchange
ISA*0*M*1*Interchange header
A??*LS*0002*99*GS*Group
GS*0*M*1*Group header
A??*LS*0003*99*ST*Transaction
ST*0*M*1*Transaction header
143*1*M*ID*3*3*Transaction Set Identifier Code
329*2*M*AN*4*9*Transaction Set Control Number
BEG*0*M*1*Beginning
353*1*M*ID*2*2*Purpose*00,01,05
92*2*M*ID*2*2*Order Type
324*3*M*AN*1*22*Order Number
328*4*N*AN*1*30*Release Number
373*5*M*DT*8*8*Order Date
A??*LS*N1*99*N1*Party
N1*0*M*1*Name
98*1*M*ID*2*3*Entity Identifier Code*BT,SF,ST
93*2*O*AN*1*10*Name
A??*LE
QTY*0*O*1*Quantity
673*1*M*ID*2*2*Quantity Qualifier
380*2*M*R*1*8*Quantity
355*3*O*N2*1*6*Amount
DTM*0*O*2*Date
374*1*M*ID*3*3*Date/Time Qualifier*002,011
373*2*O*DT*6*8*Date
337*3*O*TM*4*8*Time
REF*0*O*2*Reference
128*1*M*ID*2*3*Reference Identification Qualifier*DP,PS
127*2*O*AN*1*30*Reference Identification
C040*4*O*COMP*1*12*Reference Identifier*AB,ZZ
SE*0*M*1*Transaction trailer
A??*LE
GE*0*M*1*Group trailer
A??*LE
IEA*0*M*1*Interchange trailer
A??*LE
)";

// One E1 interchange without a finding: version 00501, repetition
// separator "^", component separator ":", one segment per line.
inline constexpr const char* kValidE1 =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *040305*0907*^*00501*000000001*0*T*:~\n"
    "GS*PO*SENDER*RECEIVER*20040305*0907*7*X*005010~\n"
    "ST*850*0001~\n"
    "BEG*00*SA*PO1**20040305~\n"
    "N1*ST*Ship Here~\n"
    "QTY*01*-12.5*1050~\n"
    "DTM*002*040310*1200^120000~\n"
    "REF*DP*038**ZZ:1:2~\n"
    "SE*7*0001~\n"
    "GE*1*7~\n"
    "IEA*1*000000001~\n";

}  // namespace orr::test
