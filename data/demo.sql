-- 見本のスキーマ: 商品マスタ、顧客、受注、操作ログと、受注一覧のビュー。
-- 空のデータベースに流す:
--   kova-sqlplus --create demo/demo@demo.db @demo.sql
REM 数値・文字・日付・バイナリの型をひととおり使い、
REM 商品コードと顧客番号は受注の値の取り出し元になる。

PROMPT 商品マスタ
CREATE TABLE 商品マスタ (
    商品コード CHAR(6) PRIMARY KEY,
    商品名     VARCHAR2(40) NOT NULL,
    カナ       VARCHAR2(40),
    単価       NUMBER(10,2),
    登録日     DATE
);

INSERT INTO 商品マスタ VALUES ('A00001', 'ボールペン 黒', 'ボールペン クロ', 120, TO_DATE('20011201 090000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00002', 'ボールペン 赤', 'ボールペン アカ', 120, TO_DATE('20011201 090000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00003', 'シャープペンシル 0.5mm', 'シャープペンシル', 380, TO_DATE('20011201 091500','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00004', '消しゴム', 'ケシゴム', 80, TO_DATE('20011203 140000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00005', '大学ノート A4 罫線', 'ダイガクノート', 150, TO_DATE('20011205 103000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00006', 'ホッチキス', 'ホッチキス', 980, TO_DATE('20011205 103000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00007', 'ホッチキス針 No.10', 'ホッチキスシン', 110, TO_DATE('20011205 103000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00008', '蛍光ペン 黄', 'ケイコウペン キ', 98.5, TO_DATE('20011210 160000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00009', 'クリアファイル 10枚組', 'クリアファイル', 298, TO_DATE('20011212 113000','YYYYMMDD HH24MISS'));
INSERT INTO 商品マスタ VALUES ('A00010', '修正テープ', 'シュウセイテープ', 248.75, NULL);

PROMPT 顧客
CREATE TABLE 顧客 (
    顧客番号 NUMBER(8) PRIMARY KEY,
    顧客名   VARCHAR2(40) NOT NULL,
    性別     NUMBER(1),
    郵便番号 CHAR(8),
    住所     VARCHAR2(100),
    生年月日 DATE,
    写真     RAW(2000)
);

INSERT INTO 顧客 (顧客番号, 顧客名, 性別, 郵便番号, 住所, 生年月日)
VALUES (10000001, '山田 太郎', 1, '160-0022', '東京都新宿区新宿三丁目1番1号',
        TO_DATE('19650401 000000','YYYYMMDD HH24MISS'));
INSERT INTO 顧客 (顧客番号, 顧客名, 性別, 郵便番号, 住所, 生年月日)
VALUES (10000002, '佐藤 花子', 2, '530-0001', '大阪府大阪市北区梅田一丁目2番3号',
        TO_DATE('19721123 000000','YYYYMMDD HH24MISS'));
INSERT INTO 顧客 (顧客番号, 顧客名, 性別, 郵便番号, 住所, 生年月日)
VALUES (10000003, '鈴木 一郎', 1, '460-0008', '愛知県名古屋市中区栄四丁目5番6号',
        TO_DATE('19800715 000000','YYYYMMDD HH24MISS'));
INSERT INTO 顧客 (顧客番号, 顧客名, 性別, 郵便番号, 住所, 生年月日)
VALUES (10000004, '高橋 美咲', 2, '812-0011', '福岡県福岡市博多区博多駅前二丁目', NULL);

PROMPT 受注
CREATE TABLE 受注 (
    受注番号   NUMBER(8),
    明細番号   NUMBER(4),
    顧客番号   NUMBER(8),
    商品コード CHAR(6),
    数量       NUMBER(5),
    受注日     DATE,
    備考       VARCHAR2(200),
    PRIMARY KEY (受注番号, 明細番号)
);

CREATE INDEX 受注_顧客番号 ON 受注 (顧客番号);

INSERT INTO 受注 VALUES (1001, 1, 10000001, 'A00001', 10, TO_DATE('20011203 101500','YYYYMMDD HH24MISS'), NULL);
INSERT INTO 受注 VALUES (1001, 2, 10000001, 'A00004', 5, TO_DATE('20011203 101500','YYYYMMDD HH24MISS'), '至急');
INSERT INTO 受注 VALUES (1002, 1, 10000002, 'A00005', 20, TO_DATE('20011206 153000','YYYYMMDD HH24MISS'), NULL);
INSERT INTO 受注 VALUES (1002, 2, 10000002, 'A00009', 3, TO_DATE('20011206 153000','YYYYMMDD HH24MISS'), NULL);
INSERT INTO 受注 VALUES (1002, 3, 10000002, 'A00008', 12, TO_DATE('20011206 153000','YYYYMMDD HH24MISS'),
    '請求書は本社宛て; 担当: 佐藤');
INSERT INTO 受注 VALUES (1003, 1, 10000003, 'A00003', 1, TO_DATE('20011211 090500','YYYYMMDD HH24MISS'), NULL);
INSERT INTO 受注 VALUES (1004, 1, 10000001, 'A00006', 2, TO_DATE('20011214 170000','YYYYMMDD HH24MISS'),
    '「納品書不要」と連絡あり');

PROMPT 操作ログ
-- キーのない表。重要度は桁数を決めない NUMBER。
CREATE TABLE 操作ログ (
    日時   DATE,
    内容   VARCHAR2(400),
    重要度 NUMBER
);

INSERT INTO 操作ログ VALUES (TO_DATE('20011201 085959','YYYYMMDD HH24MISS'), '商品マスタを初期登録', 1);
INSERT INTO 操作ログ VALUES (TO_DATE('20011214 170500','YYYYMMDD HH24MISS'), '受注 1004 を登録', 2.5);
INSERT INTO 操作ログ VALUES (SYSDATE, '見本データを作成', NULL);

PROMPT 受注一覧
CREATE VIEW 受注一覧 AS
SELECT J.受注番号,
       J.明細番号,
       J.受注日,
       K.顧客名,
       DECODE(K.性別, 1, '男', 2, '女', '不明') AS 性別,
       J.商品コード,
       S.商品名,
       J.数量,
       S.単価,
       J.数量 * S.単価 AS 金額,
       NVL(J.備考, ' ') AS 備考
  FROM 受注 J, 顧客 K, 商品マスタ S
 WHERE K.顧客番号 = J.顧客番号
   AND S.商品コード = J.商品コード;

ANALYZE TABLE 商品マスタ COMPUTE STATISTICS;

COMMIT;
EXIT
