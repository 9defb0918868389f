#!/usr/bin/env python3
"""Writes the bundled example documents (examples/) and the invalid test documents
(tests/data/invalid/). All content is made up by us for Orrindale; no sample file from
elsewhere was used. The envelope counts and control numbers are computed here.

  make_examples.py [--root REPO]

Separators: "*" between elements, "~" after each segment (followed by a line break), ":" for
components, "^" for repetitions (005010) or "U" in ISA11 (004010).
"""

import argparse
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)

import schemasim  # noqa: E402

DATE6, DATE8, TIME = "240115", "20240115", "1030"


def isa(version, control, sender="ORRINDALESEND", receiver="ORRINDALERECV", usage="T"):
    rep = "^" if version == "00501" else "U"
    return "ISA*00*%-10s*00*%-10s*ZZ*%-15s*ZZ*%-15s*%s*%s*%s*%s*%09d*0*%s*:" % (
        "", "", sender, receiver, DATE6, TIME, rep, version, control, usage)


def interchange(control, version, groups, before_groups=()):
    """groups: list of (functional id, group control number, GS08, [transaction sets]);
    a transaction set is (set id, control number, ST03 or None, [body segments]);
    before_groups: ISB, ISE and TA1 segments."""
    segs = [isa(version, control)] + list(before_groups)
    for fid, gcn, gs08, sets in groups:
        segs.append("GS*%s*ORRSENDER*ORRRECEIVER*%s*%s*%d*X*%s" % (fid, DATE8, TIME, gcn, gs08))
        for sid, stcn, st03, body in sets:
            st = "ST*%s*%s" % (sid, stcn) + ("*" + st03 if st03 else "")
            segs.append(st)
            segs.extend(body)
            segs.append("SE*%d*%s" % (len(body) + 2, stcn))
        segs.append("GE*%d*%d" % (len(sets), gcn))
    segs.append("IEA*%d*%09d" % (len(groups), control))
    return segs


def text(*interchanges):
    out = []
    for segs in interchanges:
        out.extend(s + "~" for s in segs)
    return "\n".join(out) + "\n"


def r4010(control, fid, sid, body, sets=1):
    return interchange(control, "00401", [(fid, control, "004010",
                                           [(sid, "%04d" % (i + 1), None, body) for i in range(sets)])])


def h5010(control, fid, sid, gs08, body):
    return interchange(control, "00501", [(fid, control, gs08, [(sid, "0001", gs08, body)])])


# ---------------------------------------------------------------------------------------------
# bodies (between ST and SE)

B850 = [
    "BEG*00*SA*PO-4501**20240115",
    "CUR*BY*USD",
    "REF*DP*042",
    "PER*BD*JANE BUYER*TE*5555550100",
    "FOB*CC",
    "ITD*01*3*2**10**30",
    "DTM*002*20240201",
    "TD5*O*2*UPSN*M*UPS GROUND",
    "N1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01",
    "N3*100 MAIN STREET",
    "N4*SPRINGFIELD*IL*62701*US",
    "N1*BT*ORRINDALE RETAIL INC*92*HQ",
    "N3*1 CORPORATE WAY",
    "N4*SPRINGFIELD*IL*62702*US",
    "PO1*1*24*EA*12.5**UP*012345678905*VN*WIDGET-A",
    "PID*F****BLUE WIDGET",
    "PO1*2*10*CA*48**UP*012345678912*VN*GADGET-B",
    "PID*F****GADGET, CASE OF 12",
    "SCH*10*CA***002*20240205",
    "CTT*2*34",
]

B810 = [
    "BIG*20240120*INV-9001*20240115*PO-4501",
    "CUR*SE*USD",
    "REF*DP*042",
    "N1*RE*ORRINDALE SUPPLY CO*92*SUP01",
    "N3*200 FACTORY ROAD",
    "N4*PEORIA*IL*61602*US",
    "N1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01",
    "ITD*01*3*2**10**30",
    "DTM*011*20240120",
    "IT1*1*24*EA*12.5**UP*012345678905*VN*WIDGET-A",
    "PID*F****BLUE WIDGET",
    "IT1*2*10*CA*48**UP*012345678912*VN*GADGET-B",
    "PID*F****GADGET, CASE OF 12",
    "TDS*78000",
    "CAD*M***UPSN*UPS GROUND",
    "CTT*2",
]

B855 = [
    "BAK*00*AC*PO-4501*20240116",
    "REF*VR*SUP01",
    "N1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01",
    "PO1*1*24*EA*12.5**UP*012345678905*VN*WIDGET-A",
    "ACK*IA*24*EA*068*20240201",
    "PO1*2*10*CA*48**UP*012345678912*VN*GADGET-B",
    "ACK*IB*10*CA*068*20240205",
    "CTT*2*34",
]

B856 = [
    "BSN*00*SHIP-7001*20240125*1400*0001",
    "DTM*011*20240125*1400",
    "HL*1**S",
    "TD1*CTN25*2****G*45*LB",
    "TD5*B*2*UPSN*M*UPS GROUND",
    "REF*BM*1Z999AA10123456784",
    "DTM*011*20240125",
    "N1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01",
    "N3*100 MAIN STREET",
    "N4*SPRINGFIELD*IL*62701*US",
    "N1*SF*ORRINDALE SUPPLY CO*92*SUP01",
    "HL*2*1*O",
    "PRF*PO-4501***20240115",
    "HL*3*2*P",
    "MAN*GM*00012345678901234567",
    "HL*4*3*I",
    "LIN**UP*012345678905*VN*WIDGET-A",
    "SN1**24*EA",
    "HL*5*2*P",
    "MAN*GM*00012345678901234574",
    "HL*6*5*I",
    "LIN**UP*012345678912*VN*GADGET-B",
    "SN1**10*CA",
    "CTT*6",
]

B860 = [
    "BCH*04*SA*PO-4501***20240115",
    "REF*DP*042",
    "DTM*002*20240205",
    "POC*1*QI*24*6*EA*12.5**UP*012345678905*VN*WIDGET-A",
    "DTM*002*20240205",
    "POC*2*DI*10*0*CA*48**UP*012345678912*VN*GADGET-B",
    "CTT*2",
]

B997 = [
    "AK1*PO*101",
    "AK2*850*0001",
    "AK5*A",
    "AK2*850*0002",
    "AK3*PO1*7**8",
    "AK4*2*330*7*X",
    "AK5*R*5",
    "AK9*P*2*2*1",
]

B999 = [
    "AK1*HC*301*005010X222A1",
    "AK2*837*0001*005010X222A1",
    "IK5*A",
    "AK2*837*0002*005010X222A1",
    "IK3*NM1*14*2010*8",
    "IK4*9*67*7*ABC",
    "IK5*R*5",
    "AK9*P*2*2*1",
]

B270 = [
    "BHT*0022*13*10001234*20240115*1030",
    "HL*1**20*1",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "HL*2*1*21*1",
    "NM1*1P*1*SMITH*JOHN****XX*1234567893",
    "HL*3*2*22*0",
    "TRN*1*93175-012547*9877281234",
    "NM1*IL*1*DOE*JANE****MI*123456789A",
    "DMG*D8*19800115*F",
    "DTP*291*D8*20240115",
    "EQ*30",
]

B271 = [
    "BHT*0022*11*10001234*20240115*1031",
    "HL*1**20*1",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "HL*2*1*21*1",
    "NM1*1P*1*SMITH*JOHN****XX*1234567893",
    "HL*3*2*22*0",
    "TRN*2*93175-012547*9877281234",
    "NM1*IL*1*DOE*JANE****MI*123456789A",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*19800115*F",
    "DTP*346*D8*20240101",
    "EB*1*IND*30**GOLD PLAN",
    "LS*2120",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "PER*IC**TE*8005550100",
    "LE*2120",
    "EB*C*IND*30***23*500",
    "MSG*DEDUCTIBLE APPLIES TO IN-NETWORK SERVICES",
]

B277 = [
    "BHT*0010*08*277X212-0001*20240120*1200*DG",
    "HL*1**20*1",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "HL*2*1*21*1",
    "NM1*41*2*ORRINDALE CLINIC*****46*S123",
    "HL*3*2*19*1",
    "NM1*1P*2*ORRINDALE CLINIC*****XX*1234567893",
    "HL*4*3*22*0",
    "NM1*IL*1*DOE*JANE****MI*123456789A",
    "TRN*2*CLM-0001",
    "STC*A2:20*20240119**100*100",
    "REF*1K*2024011900001",
    "DTP*472*RD8*20240110-20240110",
]

B820 = [
    "BPR*I*1500*C*ACH*CTX*01*999999999*DA*123456789*1512345678**01*999988880*DA*98765*20240120",
    "TRN*3*78905*1512345678",
    "REF*38*123456",
    "DTM*582****RD8*20240101-20240131",
    "N1*PE*ORRINDALE HEALTH PLAN*FI*999999999",
    "N1*PR*ORRINDALE EMPLOYER INC*FI*888888888",
    "ENT*1*2J*EI*123456789A",
    "NM1*EY*1*DOE*JANE****N*123456789A",
    "RMR*IK*123456789A**500",
    "DTM*582****RD8*20240101-20240131",
    "ENT*2*2J*EI*123456790A",
    "NM1*EY*1*ROE*RICHARD****N*123456790A",
    "RMR*IK*123456790A**1000",
    "DTM*582****RD8*20240101-20240131",
]

B834 = [
    "BGN*00*12456*20240115*1200****2",
    "REF*38*POLICY123",
    "DTP*007*D8*20240115",
    "N1*P5*ORRINDALE EMPLOYER INC*FI*888888888",
    "N1*IN*ORRINDALE HEALTH PLAN*FI*999999999",
    "INS*Y*18*021*28*A***FT",
    "REF*0F*123456789",
    "REF*1L*GRP100",
    "DTP*356*D8*20240201",
    "NM1*IL*1*DOE*JANE****34*123456789",
    "PER*IP**HP*5555550123",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*19800115*F",
    "HD*021**HLT*GOLD PLAN*EMP",
    "DTP*348*D8*20240201",
]

B835 = [
    "BPR*I*80*C*ACH*CCP*01*999999999*DA*123456789*1512345678**01*999988880*DA*98765*20240120",
    "TRN*1*12345*1512345678",
    "DTM*405*20240119",
    "N1*PR*ORRINDALE HEALTH PLAN",
    "N3*500 INSURANCE PLAZA",
    "N4*SPRINGFIELD*IL*62703",
    "PER*BL*TECHNICAL SUPPORT*TE*8005550199",
    "N1*PE*ORRINDALE CLINIC*XX*1234567893",
    "LX*1",
    "CLP*CLM-0001*1*100*80*20*12*1234567890123*11*1",
    "NM1*QC*1*DOE*JANE****MI*123456789A",
    "DTM*232*20240110",
    "SVC*HC:99213*100*80**1",
    "DTM*472*20240110",
    "CAS*PR*1*20",
]

B837P = [
    "BHT*0019*00*244579*20240115*1023*CH",
    "NM1*41*2*ORRINDALE CLINIC*****46*TGJ23",
    "PER*IC*BILLING DEPT*TE*5555552222",
    "NM1*40*2*ORRINDALE HEALTH PLAN*****46*66783JJT",
    "HL*1**20*1",
    "NM1*85*2*ORRINDALE CLINIC*****XX*1234567893",
    "N3*234 SEAWAY ST",
    "N4*SPRINGFIELD*IL*62701",
    "REF*EI*587654321",
    "HL*2*1*22*0",
    "SBR*P*18*******CI",
    "NM1*IL*1*DOE*JANE****MI*123456789A",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*19800115*F",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "CLM*CLM-0001*100***11:B:1*Y*A*Y*Y",
    "HI*ABK:J029",
    "LX*1",
    "SV1*HC:99213*100*UN*1***1",
    "DTP*472*D8*20240110",
]

B837I = [
    "BHT*0019*00*244580*20240115*1023*CH",
    "NM1*41*2*ORRINDALE HOSPITAL*****46*TGJ24",
    "PER*IC*BILLING DEPT*TE*5555553333",
    "NM1*40*2*ORRINDALE HEALTH PLAN*****46*66783JJT",
    "HL*1**20*1",
    "NM1*85*2*ORRINDALE HOSPITAL*****XX*1234567893",
    "N3*1 HOSPITAL DRIVE",
    "N4*SPRINGFIELD*IL*62704",
    "REF*EI*587654322",
    "HL*2*1*22*0",
    "SBR*P*18*******CI",
    "NM1*IL*1*DOE*JANE****MI*123456789A",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*19800115*F",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "CLM*CLM-1001*1500***11:A:1**A*Y*Y",
    "DTP*434*RD8*20240108-20240110",
    "CL1*1*7*01",
    "HI*ABK:J189",
    "NM1*71*1*WELBY*MARCUS****XX*1234567891",
    "LX*1",
    "SV2*0300*HC:80053*1500*UN*1",
    "DTP*472*D8*20240108",
]

# a claim for a dependent, with coordination of benefits, line adjudication and a second claim
B837P_COB = [
    "BHT*0019*00*244581*20240116*0900*CH",
    "NM1*41*2*ORRINDALE CLINIC*****46*TGJ23",
    "PER*IC*BILLING DEPT*TE*5555552222*EM*BILLING@ORRINDALE.EXAMPLE",
    "NM1*40*2*ORRINDALE HEALTH PLAN*****46*66783JJT",
    "HL*1**20*1",
    "PRV*BI*PXC*207Q00000X",
    "NM1*85*2*ORRINDALE CLINIC*****XX*1234567893",
    "N3*234 SEAWAY ST",
    "N4*SPRINGFIELD*IL*62701",
    "REF*EI*587654321",
    "NM1*87*2",
    "N3*PO BOX 100",
    "N4*SPRINGFIELD*IL*62705",
    "HL*2*1*22*1",
    "SBR*P**GRP100******CI",
    "NM1*IL*1*DOE*JANE****MI*123456789A",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*19800115*F",
    "NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*99999",
    "HL*3*2*23*0",
    "PAT*19",
    "NM1*QC*1*DOE*JIMMY",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*20150610*M",
    "CLM*CLM-0002*250***11:B:1*Y*A*Y*Y",
    "DTP*431*D8*20240105",
    "REF*G1*AUTH123",
    "REF*D9*TRACE0002",
    "NTE*ADD*FOLLOW UP VISIT",
    "HI*ABK:J029*ABF:R509",
    "NM1*82*1*WELBY*MARCUS****XX*1234567891",
    "PRV*PE*PXC*207Q00000X",
    "NM1*77*2*ORRINDALE CLINIC WEST*****XX*1234567892",
    "N3*9 WEST ROAD",
    "N4*SPRINGFIELD*IL*62707",
    "SBR*S*18*GRP200******CI",
    "AMT*D*50",
    "OI***Y***Y",
    "NM1*IL*1*DOE*JOHN****MI*987654321",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "NM1*PR*2*SECOND HEALTH PLAN*****PI*88888",
    "LX*1",
    "SV1*HC:99214*150*UN*1***1",
    "DTP*472*D8*20240110",
    "REF*6R*LINE0001",
    "SVD*88888*50*HC:99214**1",
    "CAS*CO*45*100",
    "DTP*573*D8*20240115",
    "LX*2",
    "SV1*HC:87880*100*UN*1***1",
    "DTP*472*D8*20240110",
    "NTE*ADD*RAPID STREP TEST",
    "CLM*CLM-0003*75***11:B:1*Y*A*Y*Y",
    "HI*ABK:Z0000",
    "LX*1",
    "SV1*HC:99212*75*UN*1***1",
    "DTP*472*D8*20240112",
]

# two claims, adjustments at claim and line level, a provider-level adjustment
B835_TWO = [
    "BPR*I*185*C*ACH*CCP*01*999999999*DA*123456789*1512345678**01*999988880*DA*98765*20240122",
    "TRN*1*12346*1512345678",
    "REF*EV*ORRSENDER",
    "DTM*405*20240121",
    "N1*PR*ORRINDALE HEALTH PLAN",
    "N3*500 INSURANCE PLAZA",
    "N4*SPRINGFIELD*IL*62703",
    "PER*CX*CLAIMS*TE*8005550198",
    "PER*BL*TECHNICAL SUPPORT*TE*8005550199",
    "N1*PE*ORRINDALE CLINIC*XX*1234567893",
    "REF*TJ*587654321",
    "LX*1",
    "CLP*CLM-0002*1*150*80*20*12*1234567890124*11*1",
    "CAS*CO*45*50",
    "NM1*QC*1*DOE*JIMMY****MI*123456789B",
    "NM1*82*1*WELBY*MARCUS****XX*1234567891",
    "DTM*232*20240110",
    "DTM*233*20240110",
    "AMT*AU*100",
    "SVC*HC:99214*150*80**1",
    "DTM*472*20240110",
    "CAS*CO*45*50",
    "CAS*PR*1*20",
    "REF*6R*LINE0001",
    "AMT*B6*100",
    "CLP*CLM-0003*1*75*120*0*12*1234567890125*11*7",
    "NM1*QC*1*DOE*JIMMY****MI*123456789B",
    "SVC*HC:99212*75*120**1",
    "DTM*472*20240112",
    "PLB*1234567893*20241231*WO:CLM-0009*15",
]

# a subscriber and a dependent
B834_FAMILY = [
    "BGN*00*12457*20240116*0800****2",
    "REF*38*POLICY123",
    "N1*P5*ORRINDALE EMPLOYER INC*FI*888888888",
    "N1*IN*ORRINDALE HEALTH PLAN*FI*999999999",
    "INS*Y*18*021*28*A***FT",
    "REF*0F*123456789",
    "REF*1L*GRP100",
    "DTP*356*D8*20240201",
    "NM1*IL*1*DOE*JANE****34*123456789",
    "PER*IP**HP*5555550123",
    "N3*100 ELM STREET",
    "N4*SPRINGFIELD*IL*62701",
    "DMG*D8*19800115*F",
    "HD*021**HLT*GOLD PLAN*FAM",
    "DTP*348*D8*20240201",
    "INS*N*19*021*28*A",
    "REF*0F*123456789",
    "NM1*IL*1*DOE*JIMMY",
    "DMG*D8*20150610*M",
    "HD*021**HLT*GOLD PLAN*FAM",
    "DTP*348*D8*20240201",
]

# shipment > order > item (no packs)
B856_SOI = [
    "BSN*00*SHIP-7002*20240126*0900*0004",
    "HL*1**S",
    "TD5*B*2*UPSN*M*UPS GROUND",
    "REF*BM*1Z999AA10123456791",
    "DTM*011*20240126",
    "N1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01",
    "N1*SF*ORRINDALE SUPPLY CO*92*SUP01",
    "HL*2*1*O",
    "PRF*PO-4502",
    "HL*3*2*I",
    "LIN*1*UP*012345678905",
    "SN1*1*12*EA",
    "HL*4*2*I",
    "LIN*2*UP*012345678912",
    "SN1*2*5*CA",
    "CTT*4",
]

# a set we ship no definition for (940 warehouse shipping order), for the free-form example
B940 = [
    "W05*N*ORD-100*PO-4501",
    "N1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01",
    "N3*100 MAIN STREET",
    "N4*SPRINGFIELD*IL*62701*US",
    "G62*10*20240201",
    "W66*PP*M",
    "LX*1",
    "W01*24*EA**VN*WIDGET-A",
    "G69*BLUE WIDGET",
    "W76*24*EA",
]


TA1_ACCEPTED = "TA1*000000101*%s*%s*A*000" % (DATE6, TIME)

EXAMPLES = {
    "850-purchase-order.edi": lambda: text(r4010(101, "PO", "850", B850)),
    "810-invoice.edi": lambda: text(r4010(102, "IN", "810", B810)),
    "855-po-acknowledgment.edi": lambda: text(r4010(103, "PR", "855", B855)),
    "856-ship-notice.edi": lambda: text(r4010(104, "SH", "856", B856)),
    "860-po-change.edi": lambda: text(r4010(105, "PC", "860", B860)),
    "997-functional-ack.edi": lambda: text(r4010(106, "FA", "997", B997)),
    "999_X231A1-implementation-ack.edi": lambda: text(h5010(201, "FA", "999", "005010X231A1", B999)),
    "270_X279A1-eligibility-inquiry.edi": lambda: text(h5010(202, "HS", "270", "005010X279A1", B270)),
    "271_X279A1-eligibility-response.edi": lambda: text(h5010(203, "HB", "271", "005010X279A1", B271)),
    "277_X212-claim-status.edi": lambda: text(h5010(204, "HN", "277", "005010X212", B277)),
    "820_X218-premium-payment.edi": lambda: text(h5010(205, "RA", "820", "005010X218", B820)),
    "834_X220A1-enrollment.edi": lambda: text(h5010(206, "BE", "834", "005010X220A1", B834)),
    "835_X221A1-remittance.edi": lambda: text(h5010(207, "HP", "835", "005010X221A1", B835)),
    "837P_X222A1-professional-claim.edi": lambda: text(h5010(208, "HC", "837", "005010X222A1", B837P)),
    "837I_X223A2-institutional-claim.edi": lambda: text(h5010(209, "HC", "837", "005010X223A2", B837I)),
    "837P_X222A1-dependent-with-cob.edi": lambda: text(h5010(210, "HC", "837", "005010X222A1", B837P_COB)),
    "835_X221A1-two-claims.edi": lambda: text(h5010(211, "HP", "835", "005010X221A1", B835_TWO)),
    "834_X220A1-family.edi": lambda: text(h5010(212, "BE", "834", "005010X220A1", B834_FAMILY)),
    "856-pick-and-pack.edi": lambda: text(r4010(107, "SH", "856", B856_SOI)),
    "850-two-orders.edi": lambda: text(r4010(108, "PO", "850", B850, sets=2)),
    # two interchanges: a 4010 group with two 940s and a 5010 group holding an 850-like and a
    # 999 transaction set
    "FreeForm-two-interchanges.edi": lambda: text(
        interchange(301, "00401", [("OW", 301, "004010", [("940", "0001", None, B940),
                                                           ("940", "0002", None, B940)])]),
        interchange(302, "00501", [("PO", 302, "005010", [("850", "0001", None, B850)]),
                                   ("FA", 303, "005010X231A1", [("999", "0001", "005010X231A1", B999)])])),
    # interchange acknowledgments: one interchange of nothing but a TA1, one with grade of
    # service and deferred delivery requests and a TA1 before its group
    "FreeForm-interchange-acknowledgments.edi": lambda: text(
        interchange(303, "00401", [], [TA1_ACCEPTED]),
        interchange(304, "00401", [("FA", 304, "004010", [("997", "0001", None, B997)])],
                    ["ISB*2", "ISE*240116*0800*ET", TA1_ACCEPTED])),
    "997-after-interchange-ack.edi": lambda: text(
        interchange(109, "00401", [("FA", 109, "004010", [("997", "0001", None, B997)])],
                    ["ISB*2", "ISE*240116*0800*ET", TA1_ACCEPTED])),
}


def without(body, index):
    return body[:index] + body[index + 1:]


def replaced(body, index, segment):
    return body[:index] + [segment] + body[index + 1:]


# invalid documents: envelope counts are right, the structure is not. For each: file name,
# content, what makes it fail (README.md of the folder lists them).
INVALID = [
    ("850-missing-beg.edi", lambda: text(r4010(901, "PO", "850", B850[1:])),
     "BEG (mandatory) is missing; matching fails at CUR"),
    ("850-two-beg.edi", lambda: text(r4010(902, "PO", "850", [B850[0]] + B850)),
     "BEG occurs twice (maximum use 1); matching fails at the second BEG"),
    ("810-missing-tds.edi", lambda: text(r4010(903, "IN", "810", without(B810, 13))),
     "TDS (mandatory) is missing; CAD is taken by the last IT1 loop, matching fails at CTT"),
    ("855-missing-bak.edi", lambda: text(r4010(904, "PR", "855", B855[1:])),
     "BAK (mandatory) is missing; matching fails at REF"),
    ("856-unknown-level.edi", lambda: text(r4010(905, "SH", "856", replaced(B856, 11, "HL*2*1*@@")))
     , "HL03 '@@' is no hierarchical level code; matching fails at that HL"),
    ("860-missing-bch.edi", lambda: text(r4010(906, "PC", "860", B860[1:])),
     "BCH (mandatory) is missing; matching fails at REF"),
    ("997-missing-ak9.edi", lambda: text(r4010(907, "FA", "997", B997[:-1])),
     "AK9 (mandatory) is missing; matching fails at SE"),
    ("999_X231A1-missing-ik5.edi", lambda: text(h5010(908, "FA", "999", "005010X231A1", without(B999, 2))),
     "IK5 (required) of the first AK2 loop is missing; matching fails at the second AK2"),
    ("270_X279A1-no-subscriber-name.edi", lambda: text(h5010(909, "HS", "270", "005010X279A1", without(B270, 7))),
     "loop 2100C (NM1*IL, required) is missing; matching fails at DMG"),
    ("271_X279A1-unknown-level.edi", lambda: text(h5010(910, "HB", "271", "005010X279A1",
                                                  replaced(B271, 5, "HL*3*2*99*0"))),
     "HL03 99 is not a level of the guide; matching fails at that HL"),
    ("277_X212-missing-bht.edi", lambda: text(h5010(911, "HN", "277", "005010X212", B277[1:])),
     "BHT (required) is missing; matching fails at the first HL"),
    ("820_X218-missing-bpr.edi", lambda: text(h5010(912, "RA", "820", "005010X218", B820[1:])),
     "BPR (required) is missing; matching fails at TRN"),
    ("834_X220A1-missing-ins.edi", lambda: text(h5010(913, "BE", "834", "005010X220A1", without(B834, 5))),
     "INS (first segment of loop 2000, required) is missing; matching fails at REF*0F"),
    ("835_X221A1-missing-trn.edi", lambda: text(h5010(914, "HP", "835", "005010X221A1", without(B835, 1))),
     "TRN (required) is missing; matching fails at DTM"),
    ("837P_X222A1-unknown-provider.edi", lambda: text(h5010(915, "HC", "837", "005010X222A1",
                                                      replaced(B837P, 5, "NM1*ZZ*2*ORRINDALE CLINIC*****XX*1234567893"))),
     "NM1*ZZ is no entity of loop 2010A; matching fails at that NM1"),
    ("837I_X223A2-missing-clm.edi", lambda: text(h5010(916, "HC", "837", "005010X223A2", without(B837I, 16))),
     "CLM is missing, so the claim's DTP has no loop to go into; matching fails at that DTP"),
    ("FreeForm-missing-se.edi", lambda: text([s for s in r4010(917, "PO", "850", B850) if not s.startswith("SE*")]),
     "the transaction set has no SE (every other segment is accepted by the free-form definition); "
     "matching fails at GE"),
]


# ---------------------------------------------------------------------------------------------
# one document per definition without a hand-written example: every segment of the schema once,
# every keyed loop and segment with a key code no earlier sibling has


class EverySegment:
    def __init__(self, tree):
        self.tree = tree
        self.segments = []
        self.unreachable = []
        self.hl = 0

    def body(self):
        x = self.tree.root.children[0]
        t = [c for c in x.children if c.code == "LS"][0].children[1]
        for child in t.children[1:-1]:  # between ST and SE
            self._node(child, None)
        return self.segments

    def _node(self, node, key):
        if node.kind == "R":
            if node.code != "XXX":
                self._segment(node.code, key)
            return
        if node.code == "LS":
            for i, child in enumerate(node.children):
                self._node(child, key if i == 0 else None)
            return
        y = 3 if node.code == "HLS" else node.num("Y")
        taken = set()
        for child in node.children:
            codes = [c for c in child.attr("K").split(",") if c and c.upper() not in taken]
            taken |= {c.upper() for c in child.attr("K").split(",")}
            if not codes:
                self.unreachable.append(child.tag)
                continue
            self._node(child, (y, codes[0]))

    def _segment(self, sid, key):
        if sid == "HL":
            self.hl += 1
            elements = [str(self.hl), str(self.hl - 1) if self.hl > 1 else "", key[1] if key else "1"]
        else:
            elements = ["1"] * (key[0] if key else 1)
            if key:
                elements[key[0] - 1] = key[1]
        self.segments.append("*".join([sid] + elements))


def library_documents(defs, covered):
    """(file name, text) of a document for every definition whose type has no example in covered."""
    store = schemasim.DefStore(defs)
    out = []
    for n, name in enumerate(store.documents()):
        doctype = name[3:-4]
        if doctype in covered or doctype == "FreeForm":
            continue
        tree, messages = schemasim.build_schema(store, doctype)
        if messages:
            raise ValueError("%s: %s" % (doctype, messages))
        maker = EverySegment(tree)
        body = maker.body()
        if maker.unreachable:
            raise ValueError("%s: keyed children no document can reach: %s" % (doctype, maker.unreachable))
        code, _, guide = doctype.partition("_")
        version = "005010" if guide in ("5010", "X279A1", "X212", "X214", "X218", "X220A1", "X221A1", "X222A1",
                                        "X223A2", "X231A1") else "004010"
        gs08 = version + (guide if guide.startswith("X") else "")
        sid = re.match(r"\d+", code).group(0)
        st03 = gs08 if version == "005010" else None
        control = 500 + n
        segs = interchange(control, version[:5], [("XX", control, gs08, [(sid, "0001", st03, body)])])
        out.append(("%s-every-segment.edi" % doctype, text(segs)))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--root", default=REPO)
    args = ap.parse_args()
    ex = os.path.join(args.root, "examples")
    bad = os.path.join(args.root, "tests", "data", "invalid")
    lib = os.path.join(args.root, "tests", "data", "library")
    os.makedirs(lib, exist_ok=True)
    for name in os.listdir(lib):
        if name.endswith(".edi"):
            os.remove(os.path.join(lib, name))
    covered = {name.split("-")[0] for name in EXAMPLES}
    for name, content in library_documents(os.path.join(args.root, "data", "definitions"), covered):
        with open(os.path.join(lib, name), "w", encoding="ascii", newline="\n") as f:
            f.write(content)
    os.makedirs(ex, exist_ok=True)
    os.makedirs(bad, exist_ok=True)
    for name, make in EXAMPLES.items():
        with open(os.path.join(ex, name), "w", encoding="ascii", newline="\n") as f:
            f.write(make())
    for name, make, _why in INVALID:
        with open(os.path.join(bad, name), "w", encoding="ascii", newline="\n") as f:
            f.write(make())
    with open(os.path.join(bad, "README.md"), "w", encoding="ascii", newline="\n") as f:
        f.write("# Invalid documents\n\nWritten by `tools/defgen/make_examples.py` for later tests. Each is a "
                "complete interchange with correct\ncounts and control numbers whose structure does not match "
                "its definition (the type is the\nfile name's part before the first \"-\"), so opening it "
                "against that definition ends with\n`nError` 1 (segment matching failed) at the segment named "
                "below.\n\n| file | defect |\n|---|---|\n")
        for name, _make, why in INVALID:
            f.write("| `%s` | %s |\n" % (name, why))
    print("wrote %d examples and %d invalid documents" % (len(EXAMPLES), len(INVALID)))


if __name__ == "__main__":
    main()
