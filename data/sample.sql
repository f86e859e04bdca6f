-- The sample database of the run command: a few related tables with Japanese text, dates,
-- decimals and NULLs, two views, a table whose name has a blank, and one table of 30,000 rows.
PRAGMA foreign_keys = ON;

CREATE TABLE customers (
    customer_id INTEGER NOT NULL PRIMARY KEY,
    name        VARCHAR(40) NOT NULL,
    kana        VARCHAR(40),
    city        VARCHAR(20),
    joined_on   DATE,
    credit      NUMERIC(10,2)
);
INSERT INTO customers VALUES
 (1, '山田商店', 'ﾔﾏﾀﾞｼｮｳﾃﾝ', '東京', '2019-04-01', 500000.00),
 (2, '株式会社さくら', 'ｻｸﾗ', '大阪', '2020-10-15', 1250000.50),
 (3, 'Blue Harbor Ltd.', NULL, 'Yokohama', '2021-01-31', NULL),
 (4, '北山工業', 'ｷﾀﾔﾏｺｳｷﾞｮｳ', '札幌', NULL, 0.00),
 (5, '鈴木 花子', 'ｽｽﾞｷ ﾊﾅｺ', NULL, '2023-12-24', 30000.75);

CREATE TABLE products (
    product_code CHAR(6) NOT NULL PRIMARY KEY,
    product_name VARCHAR(60) NOT NULL,
    unit_price   NUMERIC(9,2) NOT NULL,
    note         VARCHAR(100)
);
INSERT INTO products VALUES
 ('A-0001', '緑茶 500ml', 120.00, NULL),
 ('A-0002', 'ほうじ茶 2L', 298.00, '季節限定'),
 ('B-0100', 'Notebook A5', 350.50, 'ruled, 80 sheets'),
 ('C-7777', '～特選～ 抹茶セット', 4800.00, 'ギフト用'),
 ('D-0001', 'Ｗｉｄｅ　Ｌａｂｅｌ', 12.34, '');

CREATE TABLE orders (
    order_no    INTEGER NOT NULL PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(customer_id),
    ordered_at  TIMESTAMP NOT NULL,
    status      VARCHAR(10)
);
INSERT INTO orders VALUES
 (1001, 1, '2024-01-05 09:30:00', '出荷済'),
 (1002, 2, '2024-01-05 00:00:00', '受付'),
 (1003, 1, '2024-02-29 17:45:10', NULL),
 (1004, 5, '2024-03-31 23:59:59', 'キャンセル');

-- A key of two columns.
CREATE TABLE order_items (
    order_no     INTEGER NOT NULL REFERENCES orders(order_no),
    line_no      INTEGER NOT NULL,
    product_code CHAR(6) NOT NULL REFERENCES products(product_code),
    quantity     INTEGER NOT NULL,
    amount       NUMERIC(12,2),
    PRIMARY KEY (order_no, line_no)
);
INSERT INTO order_items VALUES
 (1001, 1, 'A-0001', 24, 2880.00),
 (1001, 2, 'C-7777', 1, 4800.00),
 (1002, 1, 'B-0100', 10, 3505.00),
 (1003, 1, 'A-0002', 3, NULL),
 (1004, 1, 'D-0001', 100, 1234.00);

CREATE VIEW customer_orders AS
SELECT c.customer_id, c.name, o.order_no, o.ordered_at, o.status
  FROM customers c JOIN orders o ON o.customer_id = c.customer_id;

CREATE VIEW order_totals AS
SELECT i.order_no, COUNT(*) AS lines, SUM(i.amount) AS total
  FROM order_items i GROUP BY i.order_no;

CREATE TABLE "order notes" (
    note_id  INTEGER NOT NULL PRIMARY KEY,
    order_no INTEGER,
    body     VARCHAR(200)
);
INSERT INTO "order notes" VALUES
 (1, 1001, '午前中に配達してください。'),
 (2, 1003, 'Leave at the door'),
 (3, NULL, NULL);

-- 30,000 rows for reading large results.
CREATE TABLE measurements (
    id          INTEGER NOT NULL PRIMARY KEY,
    sensor      VARCHAR(10) NOT NULL,
    measured_at TIMESTAMP NOT NULL,
    value       NUMERIC(10,3),
    label       VARCHAR(20)
);
INSERT INTO measurements
WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 30000)
SELECT x,
       'S-' || (x % 12),
       datetime('2024-01-01 00:00:00', '+' || (x * 60) || ' seconds'),
       CASE WHEN x % 97 = 0 THEN NULL ELSE round((x % 1000) * 0.125 - 40, 3) END,
       CASE x % 3 WHEN 0 THEN '正常' WHEN 1 THEN '注意' ELSE 'normal' END
  FROM n;
