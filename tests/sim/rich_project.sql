-- Fills a project made by "velkctl new" with every kind of content a write sends: both data types,
-- "$hh" escapes, GBK texts, blanks of every kind, every function, time and append settings on press,
-- release and hold slots.
BEGIN TRANSACTION;
UPDATE enum_table SET type='1',size='2',data1='01 02',data2='0a ff' WHERE enumindex=1;
UPDATE enum_table SET type='0',size='3',data1='ON',data2='OFF',data3=CAST(X'BFAA' AS TEXT) WHERE enumindex=2;
UPDATE enum_table SET type='0',size='2',data1='',data2='X' WHERE enumindex=4;
UPDATE variable SET init='7',min='-5',max='100',save='1' WHERE vindex=3;
UPDATE variable SET init='1',min='0',max='2',save='0' WHERE vindex=16;
UPDATE net_table SET ip='-1062731500',port='5000' WHERE netindex=2;
UPDATE net_table SET ip='167772169',port='6000' WHERE netindex=6;
UPDATE net_table SET ip='0',port='80' WHERE netindex=7;

-- Key 1 press: infrared, IO, relay, a network action with an Input and an Enum blank, a key action.
INSERT INTO key_table0 (id,function,channel,type,varNum) VALUES ('1','0','3','12','0');
INSERT INTO key_table0 (id,function,channel,type,varNum) VALUES ('2','1','5','2','0');
INSERT INTO key_table0 (id,function,channel,type,varNum) VALUES ('3','4','2','1','0');
INSERT INTO key_table0 (id,function,channel,ip,port,type,varNum,data1,
    var1Index,param1_1,param2_1,param3_1,param4_1,param5_1,param6_1,data2,
    var2Index,param1_2,param2_2,param3_2,param4_2,param5_2,param6_2,data3)
  VALUES ('4','3','0','-1062731490','5000','1','2','01 02',
    '0','0','2','2','1','2','0','03',
    '1','2','0','0','1','1','1','');
INSERT INTO key_table0 (id,function,channel,type,varNum) VALUES ('5','5','1','0','0');

-- Key 2 release: RS232-1 Ascii data with escapes and a Var blank; time and a GBK append text.
INSERT INTO key_table4 (id,function,channel,type,varNum,baudrate,dataWidth,adjust,stop,data1,
    var1Index,param1_1,param2_1,param3_1,param4_1,param5_1,param6_1,data2)
  VALUES ('6','2','0','0','1','5','3','0','0','AB$0d$0a',
    '2','3','5','100','1','3','0','C$24D');
INSERT OR REPLACE INTO keyOherData (oindex,timeEnable,time,addEnable,addTimeOut,addIsSend,addString)
  VALUES ('4','1','3000','1','5000','1',CAST(X'C4E3BAC3240D' AS TEXT));

-- Key 2 hold: network action to target UDP2, then RS485 Hex data with an Input blank in click mode.
INSERT INTO key_table5 (id,function,channel,ip,port,type,varNum,data1)
  VALUES ('7','3','7','0','0','0','0','hello');
INSERT INTO key_table5 (id,function,channel,type,varNum,baudrate,dataWidth,adjust,stop,data1,
    var1Index,param1_1,param2_1,param3_1,param4_1,param5_1,param6_1,data2)
  VALUES ('8','2','2','1','1','9','2','4','1','aa',
    '0','0','1','0','2','1','0','');
INSERT OR REPLACE INTO keyOherData (oindex,timeEnable,time,addEnable,addTimeOut,addIsSend,addString)
  VALUES ('5','1','1500','0','5000','0','');

-- IO2 press: infrared on outputs 1 and 4; a press sends no time but its append setting.
INSERT INTO key_table27 (id,function,channel,type,varNum) VALUES ('9','0','9','64','0');
INSERT OR REPLACE INTO keyOherData (oindex,timeEnable,time,addEnable,addTimeOut,addIsSend,addString)
  VALUES ('27','1','2000','1','100','0','x\y');

-- Key 8 release: only a key action, so just the header, its wait, and nothing else.
INSERT INTO key_table22 (id,function,channel,type,varNum) VALUES ('10','5','2','0','0');
COMMIT TRANSACTION;
