CREATE DIMENSION emp_dim LEVEL e IS (emp.empno) LEVEL d IS (emp.deptno) HIERARCHY h (e CHILD OF d) ATTRIBUTE e DETERMINES (emp.ename)
