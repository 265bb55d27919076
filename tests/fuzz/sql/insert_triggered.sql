INSERT INTO emp (ename, deptno) SELECT dname, deptno FROM dept
